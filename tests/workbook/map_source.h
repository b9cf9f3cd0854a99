// Files held in memory for the workbook writer, by CP932 path.
#pragma once

#include <map>
#include <string>

#include "report/workbook_writer.h"

class MapSource : public WorkbookSource {
  public:
    bool read(const std::string& path, std::string& out) override {
        auto it = files.find(path);
        if (it == files.end())
            return false;
        out = it->second;
        return true;
    }
    std::map<std::string, std::string> files;
};
