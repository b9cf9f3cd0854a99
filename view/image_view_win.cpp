#include "view/image_view_win.h"

// Least form until the image pane is built: there is nothing to show into.
void ShowSelectedImage() {}
