#include "gridmover/core/grid_version.h"

#include "gridmover/core/registry.h"

#include <array>
#include <stdexcept>

namespace gridmover {

namespace {

struct RowFacts {
    const char* displayName;
    const char* fullName;
    const char* shortName;
    const char* ocxName;
    const char* version;
};

constexpr std::array<RowFacts, kGridVersionRows> kRows{{
    {"MS-DBGrid 5.0", "MSDBGrid.DBGrid", "DBGrid", "DBGRID", "#1.0#0"},
    {"Lumatab 4.0", "Lumatab.LTab", "LTab", "LTB", "#4.0#0"},
    {"Lumatab Standard 1.0", "LumatabStd.LTabS", "LTabS", "LTBS", "#1.0#0"},
    {"Lumatab Pro 5.0", "Lumatab50.LTab", "LTab", "LTB5", "#5.0#0"},
    {"Lumatab Pro 5.0 for VB4", "Lumatab45.LTab", "LTab", "LTB5_", "#4.5#0"},
    {"Lumatab Standard 5.0", "LumatabStd5.LTabS", "LTabS", "LTBS5", "#5.0#0"},
    {"Lumatab Pro 6.0", "Lumatab60.LTab", "LTab", "LTB6", "#6.0#0"},
    {"Lumatab Pro 6.0 OLE", "LumatabOle60.LTab", "LTab", "LTBQ", "#6.0#0"},
    {"Lumatab Pro 5.0 OLE DB", "LumatabOle50.LTab", "LTab", "LTBO5", "#5.0#0"},
    {"Lumatab Pro 7.0", "Lumatab70.LTab", "LTab", "LTB7", "#7.0#0"},
    {"Lumatab Pro 7.0 (OLEDB)", "LumatabOle70.LTab", "LTab", "LTBO7", "#7.0#0"},
    {"Lumatab Pro 8.0", "Lumatab80.LTab", "LTab", "LTB8", "#8.0#0"},
    {"Lumatab Pro 8.0 (OLEDB)", "LumatabOle80.LTab", "LTab", "LTBO8", "#8.0#0"},
}};

// The role names of the named GUIDs, in the order they are added. Rows 1, 3 and 6 (the platform's
// grid and the Standard editions) carry the first six, all other rows all thirteen.
constexpr std::array<const char*, 13> kGuidNames{
    "CLSID_MsDgrid", "LIBID_MsDgrid",    "IID_DMgColumns",   "IID_DMgColumn",     "IID_DLtSplits",
    "IID_DLtSplit",  "IID_DLtValueList", "IID_DLtValueItem", "CLSID_LtValueItem", "IID_DLtStyles",
    "IID_DLtStyle",  "CLSID_LtStyle",    "CLSID_LTabDrop"};

bool hasFullGuidSet(int row) {
    return row != 1 && row != 3 && row != 6;
}

// The GUID values of every row, in the order of kGuidNames; the second value of each row
// (LIBID_MsDgrid) is the row's LIBID. Row 1 holds the platform grid's published identifiers.
// Rows 2 to 13 hold identifiers generated once at random for this catalogue: they name the
// Lumatab builds within this program, stay fixed forever (converted projects store them) and
// must never be regenerated. Set A rows leave the last seven entries empty.
constexpr std::array<std::array<const char*, 13>, kGridVersionRows> kGuidTable{{
    // row 1
    {{
        "00028C00-0000-0000-0000-000000000046",
        "00028C01-0000-0000-0000-000000000046",
        "00028C06-0000-0000-0000-000000000046",
        "00028C07-0000-0000-0000-000000000046",
        "00028C09-0000-0000-0000-000000000046",
        "00028C0C-0000-0000-0000-000000000046",
    }},
    // row 2
    {{
        "3DC6E962-333F-44E3-B88A-00B58C16EA2A",
        "D5350A10-01AF-4D3A-924F-02F3711DB463",
        "0AF5E684-FF76-4C25-994B-757075996B88",
        "211BECDD-DD69-45C9-A810-9906F5466B6C",
        "A7B90810-76BF-42B9-BABE-B4DEDAF0FC02",
        "843BAD37-4251-46E9-888F-388D747B06F2",
        "D68FBBA7-6D46-4540-80FD-C622E0084ED3",
        "397122F7-1696-4DCE-B7DA-33D693E4A9CA",
        "060A8572-3390-415E-91C4-C256CC8966E1",
        "162D4716-74C3-499B-812D-8C4F9F75EF6D",
        "C3917EA1-D410-46F9-B1EE-B13E8508FC46",
        "1637E9F4-6BEF-4912-B5DA-5C2F986DBBAD",
        "9AA9274C-0EF4-401C-9856-612BD058FE8D",
    }},
    // row 3
    {{
        "0121D6C2-14D0-4F24-B600-8090D4D7C1B6",
        "161E1E04-0D9E-4895-B15C-5C364E278AA3",
        "930087C1-D1BC-43B8-982F-A127340D0B41",
        "DCC80A77-C4CA-4513-A56A-36A670926132",
        "D8CF8D44-25CD-41EC-B638-F015FF399326",
        "280B3BC5-5E57-408D-AC88-41FDF9EC4B52",
    }},
    // row 4
    {{
        "246186E8-E5BB-4C93-A841-9812671626F9",
        "9B6B7F15-D2F7-4A93-AD85-6052753B243F",
        "F48EAC00-3B45-4F54-AF8F-D26FF8A879ED",
        "7EBAA98F-F524-47A4-91FA-F001AB8CBDA6",
        "A46E25CA-4D5C-41B8-8680-0905499F1966",
        "88410272-DD7A-4FFF-AA12-DFEF24E991C7",
        "95B073F6-0635-475C-BBD5-930018A31371",
        "382E2778-933A-4166-ACDD-6B05A4D178B8",
        "3C505BCC-344F-4B41-BCE4-818EA1402FEF",
        "41CE87BF-50E0-45E6-91A6-6ED061F64EAE",
        "1930D821-A0A1-4289-9DD6-6BD61AB31B31",
        "1C731CFC-A9F0-4A91-BBCB-078AEF0E3335",
        "6F7903B5-93E9-41BF-8C75-BB4E28E7BF15",
    }},
    // row 5
    {{
        "01711C5A-76B5-41C5-87D6-C1CB00300E12",
        "51EEB324-B498-4FBA-BFD6-F214CCF1144A",
        "4A0B361C-0882-499D-9990-24EC14E1A2B7",
        "B59A2838-4EB2-43DA-AB6A-4EA1DBD70AAD",
        "BC0D206F-A867-49D4-95FA-B0EA38F9F923",
        "36F97F28-3928-462C-BE1A-19A513E11711",
        "58967A3C-6535-456A-AC3E-A2E4AD917610",
        "1C0C18C2-71FB-48B3-87C3-23B442A64C88",
        "B5707620-38C2-4B8B-AD72-373815534E4B",
        "1E5D374A-89B3-40BE-8572-2FB35DA1F572",
        "F1777B2D-B3F1-4650-9151-C11B0559758C",
        "D1CBB210-7822-4905-917A-2F6840FD914F",
        "1F74D60D-53D8-43F2-AE47-7F55CAC74C6C",
    }},
    // row 6
    {{
        "8EE3941E-899F-4A78-82BB-7F6038AFBCC1",
        "7259CFF5-B676-4259-BBC7-4D56B44C8E78",
        "949A1E45-FB61-4285-85DA-F7EF344AD9A0",
        "ED8F2618-C175-437C-8F45-E35C53E9286E",
        "BEEB1EBB-61AE-4171-8C79-8D4F016150A1",
        "64DC8A9F-CB82-4A80-AF0D-DA16D5492469",
    }},
    // row 7
    {{
        "F4095D12-1883-407E-B6BF-F2043B9D203E",
        "15DD28E5-F2EC-4A61-825C-40BBE8CD8F40",
        "A878A0CE-9E94-455F-935E-A9B494060010",
        "E9D59816-1975-48C2-8088-44A600565DB7",
        "7DD45CE7-5566-47F7-9CEF-B2CFF8F21AE6",
        "0C48A603-059B-4CED-9A4E-164CDC2CEBA8",
        "AD3F6315-4746-4EFD-819A-6A32F744546B",
        "237EF834-72A1-415B-BF10-7EB75C31F4A5",
        "57F4A6D1-C2F2-44F8-9A56-2A0AC11962F7",
        "3830A29F-46D6-4C55-B98D-C62D0201500D",
        "AC7CADFE-A2A8-4521-A18D-D24CA2A22E87",
        "838C3658-7784-49A4-86A4-88185369DD74",
        "4A5FEC18-A8FB-4374-9400-7125A912192A",
    }},
    // row 8
    {{
        "259FBD5E-6D48-474E-A854-AAD10BE99B9F",
        "2675A106-A6DF-48BF-AACA-19B9A40FC7D9",
        "074DB7F4-E50D-42B9-95B0-4C3C6BADCBE2",
        "7C9E5D65-7C0D-4281-8B9C-4E151D177758",
        "A6C1D2B4-2F3E-4F49-AE0F-4DE10492E462",
        "E0DB0E3D-47E8-4E15-92E4-21A769BD60D7",
        "DA3328C8-4C01-43B3-B00D-AA9A3FC82B51",
        "F5FC5987-92DE-4781-A8D1-9602DFF086E1",
        "43931D9C-8E8B-4F7D-9317-96A7587677B1",
        "3B90C2E6-3F41-4F6C-9967-D408FB3EEB45",
        "A4FA7C48-4C82-43C4-80C2-DE8648B5EAE5",
        "F74E75FE-3CDA-41FB-ADD3-11AE65D4C584",
        "1E86C490-31D1-4CAD-9A37-FDEBB52FE1D6",
    }},
    // row 9
    {{
        "45394227-00C6-4EAD-B959-2449FA181802",
        "D180F3C5-A30D-498A-834E-071A6461933B",
        "DF04EFF4-17D6-4CBF-AB7B-D652BE3CD9D8",
        "B866308B-58BA-4B2E-9791-F3A612DAB942",
        "5A784B04-1D59-4721-BBB3-D0AAA560C581",
        "7B820AB1-9370-4072-9205-9945AF2186CF",
        "6FD92379-C1A7-47C2-99BB-D35BA5206493",
        "C2BFAD2B-1F91-4C3F-B5A7-8C7D73BC8D2D",
        "34B1E514-2A87-4939-98DD-8D3D806DBE30",
        "7CFCC501-B587-48E7-B69C-D2FF79A90157",
        "32508153-9859-4EF3-950E-D5F11CE4D44A",
        "0EA90D70-0A23-4555-B90D-F31653343334",
        "E2142AC4-A3F7-4BDE-AF0D-FC41EA77D2D6",
    }},
    // row 10
    {{
        "B28D39AA-565B-432F-A2D2-9FAFE823E016",
        "77873AA2-C377-4569-91AA-E594FAEB0415",
        "DBBE96BF-51F8-4FA2-8F3C-F2A152F44058",
        "ED548849-2D24-46C1-9E68-D95837F87B5D",
        "2D1FF091-22F7-44FA-AA53-519F93687E89",
        "6F524662-EE0B-4F85-A036-3FEECE967A93",
        "0FFC64B1-25AF-4759-9E77-AC585DAC1293",
        "64DE84FC-0598-4341-9AA7-39EFBAEA6148",
        "197B1129-C6C1-425D-85CC-B3E26A3A2539",
        "D296B6CA-CF67-47F2-A170-2F140B47F2E5",
        "F431B48F-61A7-4742-ACE8-A30FB9DC9F66",
        "2E95BBB1-995E-4903-BA77-EF280C8DA374",
        "B90D3E7F-9396-4F16-AB5F-B4FDF37453C7",
    }},
    // row 11
    {{
        "30093CDF-C3B5-4718-9A50-7B1E097319F1",
        "8AAF38E4-E195-4B46-AF97-682895538F83",
        "46DDDD19-322A-4525-8510-4700F94B00D8",
        "7954B044-A4E8-4AFA-8390-C7713C2CDD17",
        "9E84D4D5-B457-4F08-98AD-E12732A0F9F8",
        "1DDB7F7B-6A20-4845-8F4F-FE234C5902D2",
        "1F26403D-887D-4080-9C72-6073C3D1A2E7",
        "202EDEEA-9514-45BF-9448-095E0D21B3BD",
        "9BFDD17F-DBAE-4739-8A7A-7F9459E8B6CB",
        "D89C3828-4AC0-4B82-BA73-F9DA2E5B01F7",
        "1856FE97-423A-4E66-B8C4-959BC9F90C41",
        "4D235C15-8719-498F-A0E7-79BF2A69E126",
        "3507DF37-793F-40E0-B7F3-80A8531D7637",
    }},
    // row 12
    {{
        "904A078D-406D-4C57-9EC1-FD3442B3A4D9",
        "B89B1084-9546-4204-B68F-2463DB74C547",
        "9287DB58-489F-4EA6-A4E4-F7B8A0A31096",
        "D16BFF24-088A-4C75-827A-F03CDA40AAFA",
        "2FDD03ED-CCBF-46D4-9602-7B06D962F0EF",
        "7A072072-55A2-49B0-B791-B3F9F3894AA4",
        "6AAC7710-FE3C-4E58-8423-ED73B36000C8",
        "EAC2813D-8CDA-4FED-BFCD-1D777C45FD1D",
        "8FE485A8-E010-499B-AC1B-9DE3A4B587EC",
        "04B8BBFC-E319-4F08-BE5F-416F7CEAF6B0",
        "03950E71-C4D3-48A3-BD35-E574AE8A0C04",
        "74F3FBD6-F8C2-42D0-A5A6-ED2071AAA218",
        "DD4F05D1-42B0-4C7C-AA0E-BD8CD4CD66F1",
    }},
    // row 13
    {{
        "50DD4117-FD75-4FB4-BC78-D2FF2F95ADE1",
        "9DE058CB-68DA-4AF0-8C39-A33D4896628C",
        "4A4D0E57-5653-4E35-A2D5-F505D897D7B8",
        "EFFE53C9-7135-4E2F-8F14-45264B9460E8",
        "90DFE2FF-56AF-476F-A7D1-385BFBD5590A",
        "3126EB43-8425-4F50-9C6C-BAC1FC0C1903",
        "BD41BD00-F25D-4DB9-8C36-F81B86BD4F6F",
        "508F441B-14B4-47C6-BF41-1FA9E7B66ADB",
        "B6E72460-8768-45EA-82B4-9023DBB163B3",
        "86941BFA-B210-4A94-B868-9FA8B9B435F6",
        "FE000B9E-CFC1-4545-AF50-388B050EA427",
        "A900F131-0617-44F7-BF97-DAE47C93DFD0",
        "9CB3CF65-CFBE-4B39-8805-72DA003E3FFA",
    }},
}};

unsigned hexValue(const char* text, std::size_t pos, std::size_t digits) {
    unsigned v = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        char c = text[pos + i];
        v <<= 4;
        if (c >= '0' && c <= '9') {
            v |= static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            v |= static_cast<unsigned>(c - 'A' + 10);
        } else {
            throw std::logic_error("bad GUID text in the catalogue table");
        }
    }
    return v;
}

void addGuid(GridVersion& version, const char* name, const char* text) {
    auto b = [&](std::size_t pos) { return static_cast<std::uint8_t>(hexValue(text, pos, 2)); };
    version.Add(name, static_cast<std::int32_t>(hexValue(text, 0, 8)),
                static_cast<std::int16_t>(hexValue(text, 9, 4)),
                static_cast<std::int16_t>(hexValue(text, 14, 4)), b(19), b(21), b(24), b(26), b(28),
                b(30), b(32), b(34));
}

} // namespace

std::shared_ptr<GUID> GridVersion::Add(const std::string& Name, std::int32_t Data1,
                                       std::int16_t Data2, std::int16_t Data3, std::uint8_t Byte1,
                                       std::uint8_t Byte2, std::uint8_t Byte3, std::uint8_t Byte4,
                                       std::uint8_t Byte5, std::uint8_t Byte6, std::uint8_t Byte7,
                                       std::uint8_t Byte8) {
    auto g = std::make_shared<GUID>();
    g->Name = Name;
    g->Data1 = Data1;
    g->Data2 = Data2;
    g->Data3 = Data3;
    g->Byte1 = Byte1;
    g->Byte2 = Byte2;
    g->Byte3 = Byte3;
    g->Byte4 = Byte4;
    g->Byte5 = Byte5;
    g->Byte6 = Byte6;
    g->Byte7 = Byte7;
    g->Byte8 = Byte8;
    guids_.Add(g, Name);
    return g;
}

std::string GridVersion::OCXFileName() const {
    // The three oldest controls kept the "32" of their 32-bit builds in the file name.
    if (LIBID == kGuidTable[0][1] || LIBID == kGuidTable[1][1] || LIBID == kGuidTable[2][1]) {
        return OCXName + "32.OCX";
    }
    return OCXName + ".OCX";
}

std::string GridVersion::GridLibName() const {
    auto dot = FullName.find('.');
    if (dot == std::string::npos) {
        throw std::invalid_argument("Invalid procedure call or argument: \"" + FullName +
                                    "\" has no library part");
    }
    return FullName.substr(0, dot);
}

bool GridVersion::Registered(const Registry& registry) const {
    return RegKeyExists(registry, "CLSID\\{" + Item("CLSID_MsDgrid")->ToString() + "}");
}

std::shared_ptr<GridVersion> GridVersions::Add(const std::string& FullName,
                                               const std::string& ShortName,
                                               const std::string& OCXName,
                                               const std::string& Version,
                                               const std::string& LIBID) {
    auto v = std::make_shared<GridVersion>();
    v->FullName = FullName;
    v->ShortName = ShortName;
    v->OCXName = OCXName;
    v->Version = Version;
    v->LIBID = LIBID;
    rows_.Add(v, LIBID);
    return v;
}

GridVersions& Versions() {
    static GridVersions versions;
    return versions;
}

const GridVersion& CatalogueRow(std::int16_t r) {
    return *Versions().Item(static_cast<long>(r));
}

void LoadGridVersions() {
    LoadGridVersions(Versions());
}

void LoadGridVersions(GridVersions& versions) {
    if (versions.Count() >= 1) {
        return;
    }
    for (const RowFacts& r : kRows) {
        std::size_t i = static_cast<std::size_t>(&r - kRows.data());
        versions.Add(r.fullName, r.shortName, r.ocxName, r.version, kGuidTable[i][1]);
    }
    for (int row = 1; row <= kGridVersionRows; ++row) {
        GridVersion& v = *versions.Item(row);
        const auto& values = kGuidTable[static_cast<std::size_t>(row - 1)];
        std::size_t count = hasFullGuidSet(row) ? 13 : 6;
        for (std::size_t n = 0; n < count; ++n) {
            addGuid(v, kGuidNames[n], values[n]);
        }
    }
}

const std::string& DisplayName(std::int16_t row) {
    static const std::array<std::string, kGridVersionRows> names = [] {
        std::array<std::string, kGridVersionRows> a;
        for (std::size_t i = 0; i < a.size(); ++i) {
            a[i] = kRows[i].displayName;
        }
        return a;
    }();
    if (row < 1 || row > kGridVersionRows) {
        throw std::out_of_range("grid version row " + std::to_string(row) + " does not exist");
    }
    return names[static_cast<std::size_t>(row - 1)];
}

bool IsOleDbRow(std::int16_t row) {
    return row == 8 || row == 9 || row == 11 || row == 13;
}

} // namespace gridmover
