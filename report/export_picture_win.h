// The file system as the choice of a record's exported picture asks it.
#pragma once

#include <map>
#include <set>
#include <string>

#include "report/export_picture.h"

// Whether a file is there, from one listing of each folder asked about.
// Under Wine a name that is not there costs a search through its whole
// folder (the case is folded by hand), and every record of an export asks
// for two or three (the sidecar, the flattened picture, the copy's place):
// seconds for a large history. A folder that cannot be listed, or a name
// with a forward slash, is asked for as it is.
class ListedFiles {
  public:
    // A file (not a folder) of that name.
    bool exists(const std::string& path);
    // False only when the listing holds nothing of that name, file or
    // folder: the name is free.
    bool mayBeTaken(const std::string& path);

  private:
    struct Folder {
        bool listed = false;          // false: the folder could not be listed; ask for each name
        std::set<std::string> files;  // win::FileNameKey of every file
        std::set<std::string> names;  // of every file and folder
    };
    // The listing of the path's folder and the name's key, or null when the
    // name must be asked for as it is.
    const Folder* folderOf(const std::string& path, std::string& key);
    static Folder List(const std::string& folder);

    std::map<std::string, Folder> folders_;
};

// The picture files of an export, their names read from `listed`, which
// must outlive them.
PictureFiles Win32PictureFiles(ListedFiles& listed);
