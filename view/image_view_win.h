// The picture of the selected record in the image pane.
#pragma once

// Loads and shows the selected record's picture (none: an empty pane).
void ShowSelectedImage();
