// The file system as the choice of a record's exported picture asks it.
#pragma once

#include "report/export_picture.h"

PictureFiles Win32PictureFiles();
