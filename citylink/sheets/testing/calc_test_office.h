#pragma once
// The office behind the Calc tests of one test program, and a look into it that does not go
// through the spreadsheet layer (what is open, modified, shown; what a cell holds).
//
// Starting an office takes seconds, so a test program shares one private office across its
// tests; it is stopped when the program's tests are done (and dies with the program if it
// crashes). Each test leaves the office without documents.
#include "citylink/sheets/calc/calc_backend.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sheets::calctest {

// The shared private office, started at first use.
CalcOfficePtr SharedTestOffice();

struct OfficeDocument {
    std::filesystem::path file;
    bool modified = false;
    bool visible = false; // its window is shown
    bool menuBar = false; // with its menu bar (a window shown without one is of little use)
};

// The spreadsheet documents open in the office.
std::vector<OfficeDocument> OpenDocuments(const CalcOfficePtr& office);
// A cell of an open document as text ("" when empty; numbers in their shortest form), and
// whether it holds a number.
std::string CellText(const CalcOfficePtr& office, const std::filesystem::path& file,
                     const std::string& sheet, const std::string& a1, bool* isNumber = nullptr);
// Opens a document as the user would have (shown); returns when it is loaded.
void OpenAsUser(const CalcOfficePtr& office, const std::filesystem::path& file);
// Closes every document without saving.
void CloseAll(const CalcOfficePtr& office);
// Moves and sizes every document window of the office (for a picture of it).
void PlaceWindows(const CalcOfficePtr& office, int x, int y, int width, int height);
// Closes every document without saving and tells the office to end (the user's office too).
void Terminate(const CalcOfficePtr& office);
// The calls into the office that waited for its answer, counted from the office's start.
std::uint64_t RoundTrips(const CalcOfficePtr& office);

} // namespace sheets::calctest
