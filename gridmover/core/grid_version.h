#pragma once
// The catalogue of the thirteen grid control versions the migration knows. Everything the
// conversion rewrites is derived from it. Rows are named by their 1-based row number everywhere
// (the dialog keeps it as each list entry's item data).
#include "gridmover/core/guid.h"
#include "gridmover/core/keyed_collection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace gridmover {

class Registry;

// One grid version: the ProgID parts, the file and type-library facts, and its named GUIDs.
class GridVersion {
public:
    std::string FullName;  // ProgID: library name "." class name
    std::string ShortName; // control class name
    std::string OCXName;   // control file base name, without "32" and extension
    std::string Version;   // "#major.minor#0" as written after the LIBID
    std::string LIBID;     // type-library GUID, 36 upper-case characters, no braces

    // Adds a named GUID (key = Name; CollectionError 457 on a duplicate name) and returns it.
    std::shared_ptr<GUID> Add(const std::string& Name, std::int32_t Data1, std::int16_t Data2,
                              std::int16_t Data3, std::uint8_t Byte1, std::uint8_t Byte2,
                              std::uint8_t Byte3, std::uint8_t Byte4, std::uint8_t Byte5,
                              std::uint8_t Byte6, std::uint8_t Byte7, std::uint8_t Byte8);
    // By 1-based index or by Name (case-insensitive); CollectionError 9 when absent.
    const std::shared_ptr<GUID>& Item(long index) const { return guids_.Item(index); }
    const std::shared_ptr<GUID>& Item(std::string_view name) const { return guids_.Item(name); }
    const std::shared_ptr<GUID>& Item(const char* name) const { return guids_.Item(name); }
    long Count() const { return guids_.Count(); }
    void Remove(long index) { guids_.Remove(index); }
    void Remove(std::string_view name) { guids_.Remove(name); }
    auto begin() const { return guids_.begin(); }
    auto end() const { return guids_.end(); }

    // OCXName + "32.OCX" for the three oldest versions (rows 1 to 3, recognised by their exact
    // LIBID), else OCXName + ".OCX".
    std::string OCXFileName() const;
    // FullName up to its first "."; throws std::invalid_argument when FullName has none.
    std::string GridLibName() const;
    // Whether this version's grid class is registered in registry: key "CLSID\{<CLSID_MsDgrid>}"
    // under HKEY_CLASSES_ROOT, through RegKeyExists.
    bool Registered(const Registry& registry) const;

private:
    KeyedCollection<GUID> guids_;
};

// The catalogue: the versions in row order, keyed by LIBID (case-insensitive).
class GridVersions {
public:
    std::shared_ptr<GridVersion> Add(const std::string& FullName, const std::string& ShortName,
                                     const std::string& OCXName, const std::string& Version,
                                     const std::string& LIBID);
    const std::shared_ptr<GridVersion>& Item(long index) const { return rows_.Item(index); }
    const std::shared_ptr<GridVersion>& Item(std::string_view libid) const {
        return rows_.Item(libid);
    }
    const std::shared_ptr<GridVersion>& Item(const char* libid) const { return rows_.Item(libid); }
    long Count() const { return rows_.Count(); }
    void Remove(long index) { rows_.Remove(index); }
    void Remove(std::string_view libid) { rows_.Remove(libid); }
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }

private:
    KeyedCollection<GridVersion> rows_;
};

// The add-in's one catalogue, created on first use.
GridVersions& Versions();
// Row r (1..13) of Versions(); CollectionError 9 outside.
const GridVersion& CatalogueRow(std::int16_t r);
// Fills Versions() with the thirteen rows and their GUIDs unless it already holds a row.
void LoadGridVersions();
// Fills any catalogue the same way (tests use a private one).
void LoadGridVersions(GridVersions& versions);

constexpr std::int16_t kGridVersionRows = 13;
// Name shown for a row in the migration dialog ("MS-DBGrid 5.0", ..., "Lumatab Pro 8.0 (OLEDB)");
// throws std::out_of_range outside 1..13.
const std::string& DisplayName(std::int16_t row);
// Rows 8, 9, 11 and 13: the OLE DB editions.
bool IsOleDbRow(std::int16_t row);

} // namespace gridmover
