#include "gridmover/core/mod_convert.h"

#include "foundation/utf8_path.h"
#include "gridmover/core/converter_files.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/vb_text.h"

#include <cstdio>
#include <stdexcept>

namespace gridmover {

namespace fs = std::filesystem;
using namespace vbtext;

namespace {

// A converter's body with every exception turned into kFailed and its reason into lastError.
template <class Body>
ConvertResult failureAsResult(std::string& lastError, Body&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        lastError = e.what();
        return kFailed;
    } catch (...) {
        lastError = "unexpected error";
        return kFailed;
    }
}

} // namespace

modConvert::modConvert(TempFileSystem* temp, const GridVersions* versions)
    : temp_(temp), versions_(versions) {
    if (temp_ == nullptr) {
        static FolderTempFiles systemTemp;
        temp_ = &systemTemp;
    }
    if (versions_ == nullptr) {
        LoadGridVersions();
        versions_ = &Versions();
    }
}

const GridVersion& modConvert::row(std::int16_t r) const {
    return *versions_->Item(static_cast<long>(r));
}

void modConvert::ResetDesignerLists() {
    GridNames.clear();
    DropDownNames.clear();
}

void modConvert::ReadLogicalLine(LineReader& in, std::string& line) {
    gridmover::ReadLogicalLine(in, line, RawLines);
}

bool modConvert::IsGridBeginLine(std::string_view line, std::int16_t from) {
    if (GridBlockOf(line, row(from)) == GridBlock::None) {
        return false;
    }
    RecordControlName(line, from);
    return true;
}

void modConvert::RecordControlName(std::string_view line, std::int16_t from) {
    std::string_view name = BlockControlName(line);
    if (name.empty()) {
        return; // a Begin line without a control name names nothing to record
    }
    switch (GridBlockOf(line, row(from))) {
    case GridBlock::Grid:
        GridNames.emplace_back(name);
        break;
    case GridBlock::DropDown:
        DropDownNames.emplace_back(name);
        break;
    case GridBlock::None:
        break;
    }
}

bool modConvert::IsGridEventHandler(std::string_view line) const {
    return gridmover::IsGridEventHandler(line, GridNames, DropDownNames);
}

bool modConvert::RewriteEventSignature(std::string& line, std::int16_t from,
                                       std::int16_t to) const {
    return gridmover::RewriteEventSignature(line, row(from), row(to), GridNames);
}

ConvertResult
modConvert::PatchOleObjectBlobBytes(std::string& data, std::uint32_t offset, std::int16_t from,
                                    std::int16_t to,
                                    std::vector<std::pair<std::uint64_t, std::string>>* hits) {
    return PatchPropertyRecord(data, offset, row(from), row(to), hits);
}

ConvertResult modConvert::PatchOleObjectBlob(const fs::path& binaryFile, std::uint32_t offset,
                                             std::int16_t from, std::int16_t to) {
    RecordPatchHits hits;
    const ConvertResult r = PatchPropertyRecordInFile(binaryFile, offset, row(from), row(to), hits);
    if (r == kChanged) {
        for (auto& [at, name] : hits) {
            BlobPatches.push_back({binaryFile, at, name});
        }
    }
    return r;
}

std::string modConvert::noTempFileReason(const fs::path& folder) {
    // The seam may answer the folder from memory: asked again after a failure it looks again,
    // and a folder that is gone is named as such.
    if (!temp_->GetTempPath()) {
        return "no temporary folder";
    }
    return "no temporary file in " + utf8::fromPath(folder);
}

std::optional<CreatedTempFile> modConvert::newTempFile() {
    auto folder = temp_->GetTempPath();
    if (!folder) {
        return std::nullopt;
    }
    return temp_->CreateTempFile(*folder, std::to_string(TempFiles.size()) + "lt5");
}

ConvertResult modConvert::ConvertProjectText(std::string_view in, std::string& out,
                                             std::int16_t from, std::int16_t to) {
    LineReader reader(in);
    bool replaced = false;
    bool changed = false;
    out.reserve(in.size() + 64);
    while (!reader.AtEnd()) {
        std::string_view line = reader.Next();
        if (!replaced && IsProjectObjectLine(line, row(from))) {
            std::string made = MakeProjectObjectLine(row(to));
            // Only the first matching line is replaced, but one that already reads as the
            // target's (a conversion to the version it has) is no change.
            changed = made != line;
            out += made;
            replaced = true;
        } else {
            out += line;
        }
        out += kCrLf;
    }
    return changed ? kChanged : kUnchanged;
}

ConvertResult modConvert::ConvertCodeText(std::string_view in, std::string& out, std::int16_t from,
                                          std::int16_t to) {
    const GridVersion& f = row(from);
    const GridVersion& t = row(to);
    const GridDeclarations declarations(f, t);
    LineReader reader(in);
    std::string line;
    bool changed = false;
    out.reserve(in.size() + in.size() / 8);
    while (!reader.AtEnd()) {
        ReadLogicalLine(reader, line);
        if (declarations.Declares(line)) {
            declarations.Rewrite(line);
            WriteChangeBlock(out, RawLines);
            WriteLine(out, line);
            changed = true;
        } else {
            WriteRawLines(out, RawLines);
        }
    }
    return changed ? kChanged : kUnchanged;
}

ConvertResult
modConvert::ConvertFormText(std::string_view in, std::string& out, std::int16_t from,
                            std::int16_t to,
                            const std::function<int(std::uint32_t offset)>& patchBlob) {
    const GridVersion& f = row(from);
    const GridVersion& t = row(to);
    const GridDeclarations declarations(f, t);
    LineReader reader(in);
    std::string line;
    bool inCode = false;
    bool objectLineReplaced = false;
    bool changed = false;
    LineChanged = false;
    out.reserve(in.size() + in.size() / 8);
    while (!reader.AtEnd()) {
        ReadLogicalLine(reader, line);
        if (inCode) {
            if (IsGridEventHandler(line)) {
                // A rule whose replacement is the text it found (rules 3 and 8 when both versions
                // share the library) changes nothing and is not marked as a code change: a second
                // conversion to the same version must not stack up marker blocks.
                const std::string before = line;
                if (RewriteEventSignature(line, from, to) && line != before) {
                    changed = true;
                    WriteChangeBlock(out, RawLines);
                    LineChanged = true;
                }
            } else if (declarations.Declares(line)) {
                declarations.Rewrite(line);
                changed = true;
                WriteChangeBlock(out, RawLines);
                LineChanged = true;
            }
        } else if (IsDesignerEndLine(line)) {
            inCode = true;
        } else if (!objectLineReplaced && IsFormObjectLine(line, f)) {
            line = MakeFormObjectLine(t);
            objectLineReplaced = true;
            LineChanged = true;
        } else if (IsGridBeginLine(line, from)) {
            const std::string before = line;
            ReplaceBeginClass(line, f, t);
            changed = changed || line != before;
            WriteLine(out, line);
            bool blockEnded = false;
            while (!reader.AtEnd()) {
                ReadLogicalLine(reader, line);
                if (IsBlockEndLine(line)) {
                    blockEnded = true;
                    break;
                }
                if (Contains(line, "OleObjectBlob")) {
                    if (patchBlob(ParseFrxOffset(line)) == kFailed) {
                        return kFailed;
                    }
                }
                WriteRawLines(out, RawLines);
            }
            if (!blockEnded) {
                // A grid block cut off by the end of the file: the file is damaged, and writing
                // on would repeat its last line. Refuse it rather than guess.
                return kFailed;
            }
            LineChanged = true;
        }
        if (LineChanged) {
            WriteLine(out, line);
            LineChanged = false;
        } else {
            WriteRawLines(out, RawLines);
        }
    }
    return changed ? kChanged : kUnchanged;
}

ConvertResult modConvert::convertTextFile(const fs::path& path, std::int16_t from, std::int16_t to,
                                          TextRewrite rewrite,
                                          std::initializer_list<SourceKind> kinds) {
    UnlistedTemps guard;
    LastError.clear();
    return failureAsResult(LastError, [&] {
        const SourceKind kind = RequireExtension(path, kinds);
        auto created = newTempFile();
        if (!created) {
            LastError = "no temporary file";
            return kFailed;
        }
        guard.add(created->path);
        TempOutput temp(std::move(*created));
        RequiredFile original(path);
        if (original.readOnly()) {
            return kReadOnly;
        }
        std::string& in = buffers_.textIn;
        original.read(in);
        RequireText(original.path(), kind, in);
        OriginalFiles.push_back(original.path());
        TempFiles.push_back(temp.path());
        PendingKinds.push_back(PendingKind::Text);
        guard.listed();
        std::string& out = buffers_.textOut;
        out.clear();
        const ConvertResult r = (this->*rewrite)(in, out, from, to);
        temp.write(out);
        return r;
    });
}

ConvertResult modConvert::ConvertProjectFile(const fs::path& path, std::int16_t from,
                                             std::int16_t to) {
    return convertTextFile(path, from, to, &modConvert::ConvertProjectText, {SourceKind::Project});
}

ConvertResult modConvert::ConvertCodeFile(const fs::path& path, std::int16_t from,
                                          std::int16_t to) {
    return convertTextFile(path, from, to, &modConvert::ConvertCodeText,
                           {SourceKind::Module, SourceKind::Class});
}

ConvertResult modConvert::ConvertFormFile(const fs::path& designer, const fs::path& binary,
                                          std::int16_t from, std::int16_t to) {
    UnlistedTemps guard;
    LastError.clear();
    return failureAsResult(LastError, [&] {
        const SourceKind designerKind =
            RequireExtension(designer, {SourceKind::Designer, SourceKind::ActiveX});
        RequireExtension(binary, {SourceKind::Binary});
        auto folder = temp_->GetTempPath();
        if (!folder) {
            LastError = "no temporary folder";
            return kFailed;
        }
        // Both temporary files carry the same prefix, taken before either is listed.
        const std::string prefix = std::to_string(TempFiles.size()) + "lt5";
        auto createTemp = [&] {
            auto created = temp_->CreateTempFile(*folder, prefix);
            if (created) {
                guard.add(created->path);
            } else {
                LastError = noTempFileReason(*folder);
            }
            return created;
        };
        auto designerCreated = createTemp();
        if (!designerCreated) {
            return kFailed;
        }
        TempOutput designerTemp(std::move(*designerCreated));
        auto binaryCreated = createTemp();
        if (!binaryCreated) {
            return kFailed;
        }
        TempOutput binaryTemp(std::move(*binaryCreated));
        RequiredFile binaryRequired(binary);
        RequiredFile designerRequired(designer);
        if (designerRequired.readOnly()) {
            return kReadOnly;
        }
        if (binaryRequired.readOnly()) {
            return kBinaryReadOnly;
        }
        const fs::path& binaryFile = binaryRequired.path();
        const fs::path& designerFile = designerRequired.path();
        // The binary file is patched in memory and written to its temporary once at the end:
        // the same result as copying it first and patching the copy record by record.
        std::string& binaryOriginal = buffers_.binaryOriginal;
        binaryRequired.read(binaryOriginal);
        std::string& binaryData = buffers_.binaryData;
        binaryData.assign(binaryOriginal);
        std::string& in = buffers_.textIn;
        designerRequired.read(in);
        RequireText(designerFile, designerKind, in);
        OriginalFiles.push_back(designerFile);
        TempFiles.push_back(designerTemp.path());
        PendingKinds.push_back(PendingKind::Text);
        OriginalFiles.push_back(binaryFile);
        TempFiles.push_back(binaryTemp.path());
        PendingKinds.push_back(PendingKind::Binary);
        guard.listed();

        RecordPatchHits hits;
        bool patched = false;
        std::string& out = buffers_.textOut;
        out.clear();
        const ConvertResult r = ConvertFormText(in, out, from, to, [&](std::uint32_t offset) {
            const ConvertResult p =
                PatchPropertyRecord(binaryData, offset, row(from), row(to), &hits);
            patched = patched || p == kChanged;
            if (p == kFailed) {
                char at[16];
                std::snprintf(at, sizeof at, "%04X", offset);
                LastError =
                    utf8::fromPath(binaryFile) + ": no property record fits at offset " + at;
            }
            return static_cast<int>(p);
        });
        if (r == kFailed) {
            if (LastError.empty()) {
                LastError = utf8::fromPath(designerFile) + ": a grid block has no end line";
            }
            binaryTemp.write(binaryOriginal);
            return kFailed;
        }
        designerTemp.write(out);
        binaryTemp.write(patched ? binaryData : binaryOriginal);
        for (auto& [at, name] : hits) {
            BlobPatches.push_back({binaryFile, at, name});
        }
        return r;
    });
}

} // namespace gridmover
