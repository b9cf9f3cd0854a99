// Sheet names of the evidence workbook, made from the records' headings.
// Platform-free.
#pragma once

#include <set>
#include <string>
#include <string_view>

class SheetNames {
  public:
    static constexpr std::size_t kMaxLength = 31;  // code points, as the workbook allows

    SheetNames();

    // Marks a name as taken (the cover sheet's).
    void reserve(std::string_view name);

    // A name from a UTF-8 heading: the characters [ ] : * ? / \ become "_",
    // control characters are dropped, apostrophes are trimmed from both
    // ends, and the rest is cut to 31 characters. An empty result becomes
    // "記録<number>". A name already given (letters compared without case,
    // as the workbook does: 画面ａ is 画面Ａ, σα is ΣΑ) gets " (2)", " (3)",
    // ... within the 31.
    std::string make(std::string_view heading, int number);

  private:
    bool taken(std::string_view name) const;
    std::set<std::string> used_;  // folded
};

// "'name'!A<row>" for a link into a sheet (row 1-based); an apostrophe
// inside the name is doubled.
std::string cellReference(std::string_view sheet, int row);
