// Which record a case of the case file belongs to, and what a save writes
// back. Platform-free.
//
// A case is put on the record whose key (history/case_file.h) it names,
// never on another: an entry that no record takes (its picture's record was
// deleted outside Zelcap, or the CSV was exchanged) is kept aside as it was
// read, reported once when the history opens and written back at every
// save, so that nothing a tester typed is lost without a word. Of two
// entries with the same key the first is placed and the second kept aside.
#pragma once

#include <string>
#include <vector>

#include "history/case_file.h"
#include "history/history.h"

namespace caseplace {

// The key of each record, in the records' order: its picture's file name,
// its date/time text and its number among the records before it whose name
// (as Windows compares names) and time are the same.
std::vector<casefile::Key> recordKeys(const History& h);

// Puts each entry's case on its record in h.cases (emptied first) and keeps
// every entry that no record takes in h.casesAside; returns how many were
// kept aside.
std::size_t place(std::vector<casefile::Entry> entries, History& h);

// What a save writes: each record's case under its key as it is now, in the
// records' order, then the entries kept aside. A record without a case whose
// key is that of an entry kept aside (a picture of the same name taken in
// the same second) gets an empty entry before it, so that the next open
// still leaves that entry aside instead of giving it to the record.
std::vector<casefile::Entry> entriesToWrite(const History& h);

// True when a record has a case, an entry is kept aside or a baseline is
// chosen.
bool hasCaseData(const History& h);

// Drops the cases of records no longer in the history (deleted rows).
void dropCasesOfGoneRecords(History& h);

// The one message of an open about the entries kept aside: how many, and
// the keys of the first ones. Empty when none is.
std::string asideMessage(const std::vector<casefile::Entry>& aside);
// The message about texts cut to their fields; empty when none was.
std::string cutMessage(const std::vector<casefile::Cut>& cuts);

}  // namespace caseplace
