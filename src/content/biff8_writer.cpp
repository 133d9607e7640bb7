// BIFF8 workbook writer: the record layout follows what Excel 97 and later write
// for a plain workbook, so Excel, LibreOffice and the common readers open it.
#include "content/biff8_writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace plindar {
namespace {

// Record types.
constexpr uint16_t kRecordBof = 0x0809;
constexpr uint16_t kRecordEof = 0x000A;
constexpr uint16_t kRecordInterfaceHdr = 0x00E1;
constexpr uint16_t kRecordMms = 0x00C1;
constexpr uint16_t kRecordInterfaceEnd = 0x00E2;
constexpr uint16_t kRecordWriteAccess = 0x005C;
constexpr uint16_t kRecordCodepage = 0x0042;
constexpr uint16_t kRecordDsf = 0x0161;
constexpr uint16_t kRecordTabId = 0x013D;
constexpr uint16_t kRecordFnGroupCount = 0x009C;
constexpr uint16_t kRecordWindowProtect = 0x0019;
constexpr uint16_t kRecordProtect = 0x0012;
constexpr uint16_t kRecordObjProtect = 0x0063;
constexpr uint16_t kRecordPassword = 0x0013;
constexpr uint16_t kRecordProt4Rev = 0x01AF;
constexpr uint16_t kRecordProt4RevPass = 0x01BC;
constexpr uint16_t kRecordBackup = 0x0040;
constexpr uint16_t kRecordHideObj = 0x008D;
constexpr uint16_t kRecordWindow1 = 0x003D;
constexpr uint16_t kRecordDateMode = 0x0022;
constexpr uint16_t kRecordPrecision = 0x000E;
constexpr uint16_t kRecordRefreshAll = 0x01B7;
constexpr uint16_t kRecordBookBool = 0x00DA;
constexpr uint16_t kRecordFont = 0x0031;
constexpr uint16_t kRecordXf = 0x00E0;
constexpr uint16_t kRecordStyle = 0x0293;
constexpr uint16_t kRecordUseSelfs = 0x0160;
constexpr uint16_t kRecordBoundSheet = 0x0085;
constexpr uint16_t kRecordCountry = 0x008C;
constexpr uint16_t kRecordSst = 0x00FC;
constexpr uint16_t kRecordContinue = 0x003C;
constexpr uint16_t kRecordExtSst = 0x00FF;
constexpr uint16_t kRecordCalcMode = 0x000D;
constexpr uint16_t kRecordCalcCount = 0x000C;
constexpr uint16_t kRecordRefMode = 0x000F;
constexpr uint16_t kRecordIteration = 0x0011;
constexpr uint16_t kRecordDelta = 0x0010;
constexpr uint16_t kRecordSaveRecalc = 0x005F;
constexpr uint16_t kRecordPrintHeaders = 0x002A;
constexpr uint16_t kRecordPrintGridlines = 0x002B;
constexpr uint16_t kRecordGridSet = 0x0082;
constexpr uint16_t kRecordGuts = 0x0080;
constexpr uint16_t kRecordDefaultRowHeight = 0x0225;
constexpr uint16_t kRecordWsBool = 0x0081;
constexpr uint16_t kRecordDefColWidth = 0x0055;
constexpr uint16_t kRecordColInfo = 0x007D;
constexpr uint16_t kRecordDimensions = 0x0200;
constexpr uint16_t kRecordRow = 0x0208;
constexpr uint16_t kRecordLabelSst = 0x00FD;
constexpr uint16_t kRecordNumber = 0x0203;
constexpr uint16_t kRecordBlank = 0x0201;
constexpr uint16_t kRecordWindow2 = 0x023E;

// BOF fields as Excel 97 writes them.
constexpr uint16_t kBiff8Version = 0x0600;
constexpr uint16_t kSubstreamGlobals = 0x0005;
constexpr uint16_t kSubstreamWorksheet = 0x0010;
constexpr uint16_t kBuildId = 0x0DBB;
constexpr uint16_t kBuildYear = 0x07CC;
constexpr uint32_t kLowestBiffVersion = 0x0006;

constexpr uint16_t kCodepageUtf16 = 0x04B0;
constexpr size_t kWriteAccessLength = 112;
constexpr char kWriterName[] = "Plindar";

// Excel expects fonts 0 to 3 and then 5 (index 4 is never used): five records.
constexpr int kFontRecordCount = 5;
constexpr uint16_t kFontHeightTwips = 200;
constexpr uint16_t kFontWeightNormal = 400;
constexpr uint16_t kColorAutomatic = 0x7FFF;
constexpr char kFontName[] = "Arial";

// XF 0-14 are the built-in style formats, XF 15 the default cell format.
constexpr int kStyleXfCount = 15;
constexpr uint16_t kDefaultCellXf = 15;
constexpr uint16_t kStyleXfFlags = 0xFFF5;  // locked, style, no parent
constexpr uint16_t kCellXfFlags = 0x0001;   // locked, parent XF 0
constexpr uint8_t kAlignBottom = 0x20;
constexpr uint8_t kStyleXfUnusedAttributes = 0xF4;
constexpr uint16_t kXfDefaultColors = 0x20C0;  // pattern colours 64 and 65
constexpr uint16_t kNormalStyleXf = 0x8000;    // built-in style on XF 0
constexpr uint8_t kNormalStyleId = 0;
constexpr uint8_t kNoOutlineLevel = 0xFF;

// WINDOW1 geometry in twips, as Excel writes it for a new workbook.
constexpr uint16_t kWindowLeft = 0x01E0;
constexpr uint16_t kWindowTop = 0x005A;
constexpr uint16_t kWindowWidth = 0x3FCF;
constexpr uint16_t kWindowHeight = 0x2A4E;
constexpr uint16_t kWindow1Flags = 0x0038;  // horizontal and vertical scroll bars, tabs
constexpr uint16_t kTabRatio = 0x0258;

constexpr uint16_t kCalcAutomatic = 1;
constexpr uint16_t kCalcIterations = 100;
constexpr uint16_t kRefModeA1 = 1;
constexpr double kCalcDelta = 0.001;
constexpr uint16_t kDefaultRowHeightTwips = 0x00FF;
constexpr uint16_t kWsBoolFlags = 0x04C1;  // automatic page breaks, outline symbols, fit
constexpr uint16_t kDefaultColumnWidth = 8;
constexpr uint16_t kColInfoUserSet = 0x0002;
constexpr uint32_t kRowFlags = 0x00000100;  // the bit that is always set
constexpr uint16_t kWindow2FirstSheet = 0x06B6;
constexpr uint16_t kWindow2OtherSheet = 0x00B6;
constexpr uint16_t kGridlineColor = 0x0040;
constexpr uint16_t kCountryUs = 1;

constexpr uint8_t kStringHighByte = 0x01;  // UTF-16 units rather than Latin-1 bytes
constexpr uint8_t kLatin1Limit = 0xFF;
// EXTSST keeps at most this many buckets and at least this many strings per bucket.
constexpr size_t kExtSstMaxBuckets = 128;
constexpr size_t kExtSstMinStringsPerBucket = 8;

// A stream this short would be kept in the container's mini stream; Excel-made
// files never are, so short workbooks are padded after their last record.
constexpr size_t kMinimumStreamSize = 4096;

constexpr uint32_t kReplacementCharacter = 0xFFFD;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
constexpr uint32_t kSurrogateFirst = 0xD800;
constexpr uint32_t kSurrogateLast = 0xDFFF;
constexpr uint32_t kSupplementaryFirst = 0x10000;

// Root-entry class id of an Excel workbook, {00020820-0000-0000-C000-000000000046},
// in the byte order of the container.
constexpr guint8 kExcelClassId[16] = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// A record payload under construction, little-endian.
class CPayload {
public:
    CPayload& U8(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    CPayload& U16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    CPayload& U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        return U16(static_cast<uint16_t>(v >> 16));
    }
    CPayload& F64(double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof(bits));
        U32(static_cast<uint32_t>(bits));
        return U32(static_cast<uint32_t>(bits >> 32));
    }
    CPayload& Zeros(size_t n) {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    // Characters of a string: Latin-1 bytes when `high_byte` is false, else UTF-16.
    CPayload& Units(std::u16string_view text, bool high_byte) {
        for (char16_t c : text) {
            if (high_byte) {
                U16(c);
            } else {
                U8(static_cast<uint8_t>(c));
            }
        }
        return *this;
    }
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

bool NeedsHighByte(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c > kLatin1Limit; });
}

// Records appended to a stream.
class CStream {
public:
    explicit CStream(std::vector<uint8_t>* bytes) : bytes_(*bytes) {}
    void Add(uint16_t type, const std::vector<uint8_t>& payload) {
        CPayload header;
        header.U16(type).U16(static_cast<uint16_t>(payload.size()));
        bytes_.insert(bytes_.end(), header.Bytes().begin(), header.Bytes().end());
        bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    }
    void Add(uint16_t type, const CPayload& payload) { Add(type, payload.Bytes()); }
    void Add(uint16_t type) { Add(type, std::vector<uint8_t>{}); }
    void Add16(uint16_t type, uint16_t value) { Add(type, CPayload().U16(value)); }
    size_t Position() const { return bytes_.size(); }
    void Patch32(size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i) {
            bytes_[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }

private:
    std::vector<uint8_t>& bytes_;
};

// Size of a record header in front of every payload.
constexpr size_t kRecordHeaderSize = 4;

void AddBof(CStream* stream, uint16_t substream) {
    stream->Add(kRecordBof, CPayload()
                                .U16(kBiff8Version)
                                .U16(substream)
                                .U16(kBuildId)
                                .U16(kBuildYear)
                                .U32(0)
                                .U32(kLowestBiffVersion));
}

void AddWriteAccess(CStream* stream) {
    const std::u16string name = ToBiff8Text(kWriterName);
    CPayload payload;
    payload.U16(static_cast<uint16_t>(name.size())).U8(0).Units(name, false);
    payload.Bytes().resize(kWriteAccessLength, ' ');
    stream->Add(kRecordWriteAccess, payload);
}

void AddFonts(CStream* stream) {
    const std::u16string name = ToBiff8Text(kFontName);
    for (int i = 0; i < kFontRecordCount; ++i) {
        stream->Add(kRecordFont, CPayload()
                                     .U16(kFontHeightTwips)
                                     .U16(0)
                                     .U16(kColorAutomatic)
                                     .U16(kFontWeightNormal)
                                     .U16(0)  // no super- or subscript
                                     .U8(0)   // no underline
                                     .U8(0)   // font family
                                     .U8(0)   // character set
                                     .U8(0)
                                     .U8(static_cast<uint8_t>(name.size()))
                                     .U8(0)
                                     .Units(name, false));
    }
}

void AddXf(CStream* stream, uint16_t font, uint16_t flags, uint8_t unused_attributes) {
    stream->Add(kRecordXf, CPayload()
                               .U16(font)
                               .U16(0)  // number format "General"
                               .U16(flags)
                               .U8(kAlignBottom)
                               .U8(0)  // rotation
                               .U8(0)  // indent, shrink, reading order
                               .U8(unused_attributes)
                               .U32(0)  // no borders
                               .U32(0)  // border colours, no fill pattern
                               .U16(kXfDefaultColors));
}

void AddFormats(CStream* stream) {
    AddXf(stream, 0, kStyleXfFlags, 0);
    for (int i = 1; i < kStyleXfCount; ++i) {
        // Excel's built-in styles 1-14 use fonts 1, 1, 2, 2 and then 0.
        uint16_t font = i <= 2 ? 1 : (i <= 4 ? 2 : 0);
        AddXf(stream, font, kStyleXfFlags, kStyleXfUnusedAttributes);
    }
    AddXf(stream, 0, kCellXfFlags, 0);
    stream->Add(kRecordStyle,
                CPayload().U16(kNormalStyleXf).U8(kNormalStyleId).U8(kNoOutlineLevel));
}

// SST with CONTINUE records as needed, then EXTSST, which points at the first
// string of every bucket of strings.
void AddSharedStrings(CStream* stream, const std::vector<std::u16string>& strings,
                      uint32_t references) {
    const size_t per_bucket = std::max(
        kExtSstMinStringsPerBucket, (strings.size() + kExtSstMaxBuckets - 1) / kExtSstMaxBuckets);
    struct bucket_stu {
        uint32_t position;
        uint16_t offset;
    };
    std::vector<bucket_stu> buckets;

    uint16_t type = kRecordSst;
    CPayload current;
    current.U32(references).U32(static_cast<uint32_t>(strings.size()));
    // Size of a record that holds no string yet.
    size_t fresh_size = current.Size();
    auto flush = [&]() {
        stream->Add(type, current);
        type = kRecordContinue;
        current = CPayload();
        fresh_size = 0;
    };

    for (size_t i = 0; i < strings.size(); ++i) {
        const std::u16string& text = strings[i];
        const bool high_byte = NeedsHighByte(text);
        const size_t unit = high_byte ? 2 : 1;
        // A string that does not fit the rest of the record starts a fresh one, so
        // it is split only when longer than a record and then as few times as
        // possible: some readers cope with one split at most.
        constexpr size_t kStringHeader = 3;
        const size_t whole = kStringHeader + text.size() * unit;
        if (current.Size() + whole > kBiff8MaxRecordData && current.Size() > fresh_size) {
            flush();
        }
        if (i % per_bucket == 0) {
            const size_t offset = kRecordHeaderSize + current.Size();
            buckets.push_back({static_cast<uint32_t>(stream->Position() + offset),
                               static_cast<uint16_t>(offset)});
        }
        const uint8_t flags = high_byte ? kStringHighByte : 0;
        current.U16(static_cast<uint16_t>(text.size())).U8(flags);
        size_t done = 0;
        while (done < text.size()) {
            size_t room = (kBiff8MaxRecordData - current.Size()) / unit;
            if (room == 0) {
                flush();
                current.U8(flags);  // a continued string restates its unit size
                continue;
            }
            size_t take = std::min(room, text.size() - done);
            current.Units(std::u16string_view(text).substr(done, take), high_byte);
            done += take;
        }
    }
    flush();

    CPayload ext;
    ext.U16(static_cast<uint16_t>(per_bucket));
    for (const bucket_stu& b : buckets) {
        ext.U32(b.position).U16(b.offset).U16(0);
    }
    stream->Add(kRecordExtSst, ext);
}

}  // namespace

std::u16string ToBiff8Text(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        uint32_t code = kReplacementCharacter;
        size_t length = 1;
        size_t extra = 0;
        uint32_t minimum = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            minimum = 0x80;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            minimum = 0x800;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            minimum = kSupplementaryFirst;
            code = lead & 0x07;
        } else {
            code = kReplacementCharacter;
        }
        if (extra > 0) {
            bool valid = i + extra < text.size();
            for (size_t k = 1; valid && k <= extra; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                code = (code << 6) | (next & 0x3F);
            }
            if (valid && (code < minimum || code > kMaxCodePoint ||
                          (code >= kSurrogateFirst && code <= kSurrogateLast))) {
                valid = false;
            }
            if (valid) {
                length = extra + 1;
            } else {
                code = kReplacementCharacter;
            }
        }
        if (code >= kSupplementaryFirst) {
            code -= kSupplementaryFirst;
            out.push_back(static_cast<char16_t>(kSurrogateFirst + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

int CBiff8Workbook::AddSheet(const std::string& name) {
    std::u16string units = ToBiff8Text(name);
    if (units.empty() || units.size() > kBiff8MaxSheetNameUnits || units.front() == u'\'' ||
        units.back() == u'\'' || units.find_first_of(u":\\/?*[]") != std::u16string::npos) {
        return -1;
    }
    auto fold = [](std::u16string s) {
        for (char16_t& c : s) {
            if (c >= u'A' && c <= u'Z') {
                c = static_cast<char16_t>(c - u'A' + u'a');
            }
        }
        return s;
    };
    for (const sheet_stu& sheet : sheets_) {
        if (fold(sheet.name) == fold(units)) {
            return -1;
        }
    }
    sheets_.push_back(sheet_stu{std::move(units), {}, {}});
    return static_cast<int>(sheets_.size() - 1);
}

bool CBiff8Workbook::PutCell(int sheet, uint32_t row, uint32_t column, cell_stu cell) {
    if (sheet < 0 || static_cast<size_t>(sheet) >= sheets_.size() || row >= kBiff8MaxRows ||
        column >= kBiff8MaxColumns) {
        return false;
    }
    sheets_[sheet].cells[{row, column}] = std::move(cell);
    return true;
}

bool CBiff8Workbook::SetText(int sheet, uint32_t row, uint32_t column, std::string_view text) {
    if (text.empty()) {
        return SetBlank(sheet, row, column);
    }
    cell_stu cell;
    cell.kind = CELL_TEXT;
    cell.text = ToBiff8Text(text);
    if (cell.text.size() > kBiff8MaxTextUnits) {
        return false;
    }
    return PutCell(sheet, row, column, std::move(cell));
}

bool CBiff8Workbook::SetNumber(int sheet, uint32_t row, uint32_t column, double value) {
    cell_stu cell;
    cell.kind = CELL_NUMBER;
    cell.number = value;
    return PutCell(sheet, row, column, std::move(cell));
}

bool CBiff8Workbook::SetBlank(int sheet, uint32_t row, uint32_t column) {
    return PutCell(sheet, row, column, cell_stu{});
}

bool CBiff8Workbook::SetColumnWidth(int sheet, uint32_t column, double characters) {
    constexpr double kUnitsPerCharacter = 256.0;
    constexpr double kMaxCharacters = 255.0;
    if (sheet < 0 || static_cast<size_t>(sheet) >= sheets_.size() || column >= kBiff8MaxColumns ||
        !(characters > 0 && characters <= kMaxCharacters)) {
        return false;
    }
    sheets_[sheet].column_widths[column] =
        static_cast<uint16_t>(std::lround(characters * kUnitsPerCharacter));
    return true;
}

bool CBiff8Workbook::AddRawCellRecord(int sheet, uint16_t type, std::vector<uint8_t> payload,
                                      uint32_t row, uint32_t first_column, uint32_t last_column) {
    if (payload.size() > kBiff8MaxRecordData || last_column < first_column ||
        last_column >= kBiff8MaxColumns) {
        return false;
    }
    cell_stu cell;
    cell.kind = CELL_RAW;
    cell.raw_type = type;
    cell.raw = std::move(payload);
    cell.last_column = static_cast<uint16_t>(last_column);
    return PutCell(sheet, row, first_column, std::move(cell));
}

std::vector<uint8_t> CBiff8Workbook::Serialize() const {
    std::vector<sheet_stu> sheets = sheets_;
    if (sheets.empty()) {
        sheets.push_back(sheet_stu{u"Sheet1", {}, {}});
    }

    // Shared strings in order of first use, row by row, sheet by sheet.
    std::vector<std::u16string> strings;
    std::unordered_map<std::u16string, uint32_t> string_index;
    uint32_t references = 0;
    for (const sheet_stu& sheet : sheets) {
        for (const auto& [position, cell] : sheet.cells) {
            if (cell.kind == CELL_TEXT) {
                ++references;
                if (string_index.emplace(cell.text, static_cast<uint32_t>(strings.size())).second) {
                    strings.push_back(cell.text);
                }
            }
        }
    }

    std::vector<uint8_t> bytes;
    CStream stream(&bytes);
    AddBof(&stream, kSubstreamGlobals);
    stream.Add16(kRecordInterfaceHdr, kCodepageUtf16);
    stream.Add16(kRecordMms, 0);
    stream.Add(kRecordInterfaceEnd);
    AddWriteAccess(&stream);
    stream.Add16(kRecordCodepage, kCodepageUtf16);
    stream.Add16(kRecordDsf, 0);
    CPayload tab_ids;
    for (size_t i = 0; i < sheets.size(); ++i) {
        tab_ids.U16(static_cast<uint16_t>(i + 1));
    }
    stream.Add(kRecordTabId, tab_ids);
    constexpr uint16_t kBuiltInFunctionGroups = 0x000E;
    stream.Add16(kRecordFnGroupCount, kBuiltInFunctionGroups);
    stream.Add16(kRecordWindowProtect, 0);
    stream.Add16(kRecordProtect, 0);
    stream.Add16(kRecordObjProtect, 0);
    stream.Add16(kRecordPassword, 0);
    stream.Add16(kRecordProt4Rev, 0);
    stream.Add16(kRecordProt4RevPass, 0);
    stream.Add16(kRecordBackup, 0);
    stream.Add16(kRecordHideObj, 0);
    stream.Add(kRecordWindow1, CPayload()
                                   .U16(kWindowLeft)
                                   .U16(kWindowTop)
                                   .U16(kWindowWidth)
                                   .U16(kWindowHeight)
                                   .U16(kWindow1Flags)
                                   .U16(0)  // active sheet
                                   .U16(0)  // first visible tab
                                   .U16(1)  // selected sheets
                                   .U16(kTabRatio));
    stream.Add16(kRecordDateMode, 0);
    stream.Add16(kRecordPrecision, 1);
    stream.Add16(kRecordRefreshAll, 0);
    stream.Add16(kRecordBookBool, 0);
    AddFonts(&stream);
    AddFormats(&stream);
    stream.Add16(kRecordUseSelfs, 1);

    std::vector<size_t> sheet_offset_fields;
    for (const sheet_stu& sheet : sheets) {
        const bool high_byte = NeedsHighByte(sheet.name);
        sheet_offset_fields.push_back(stream.Position() + kRecordHeaderSize);
        stream.Add(kRecordBoundSheet, CPayload()
                                          .U32(0)  // position of the sheet's BOF, set below
                                          .U8(0)   // visible
                                          .U8(0)   // worksheet
                                          .U8(static_cast<uint8_t>(sheet.name.size()))
                                          .U8(high_byte ? kStringHighByte : 0)
                                          .Units(sheet.name, high_byte));
    }
    stream.Add(kRecordCountry, CPayload().U16(kCountryUs).U16(kCountryUs));
    AddSharedStrings(&stream, strings, references);
    stream.Add(kRecordEof);

    for (size_t s = 0; s < sheets.size(); ++s) {
        const sheet_stu& sheet = sheets[s];
        stream.Patch32(sheet_offset_fields[s], static_cast<uint32_t>(stream.Position()));
        AddBof(&stream, kSubstreamWorksheet);
        stream.Add16(kRecordCalcMode, kCalcAutomatic);
        stream.Add16(kRecordCalcCount, kCalcIterations);
        stream.Add16(kRecordRefMode, kRefModeA1);
        stream.Add16(kRecordIteration, 0);
        stream.Add(kRecordDelta, CPayload().F64(kCalcDelta));
        stream.Add16(kRecordSaveRecalc, 1);
        stream.Add16(kRecordPrintHeaders, 0);
        stream.Add16(kRecordPrintGridlines, 0);
        stream.Add16(kRecordGridSet, 1);
        stream.Add(kRecordGuts, CPayload().U16(0).U16(0).U16(0).U16(0));
        stream.Add(kRecordDefaultRowHeight, CPayload().U16(0).U16(kDefaultRowHeightTwips));
        stream.Add16(kRecordWsBool, kWsBoolFlags);
        stream.Add16(kRecordDefColWidth, kDefaultColumnWidth);
        for (const auto& [column, width] : sheet.column_widths) {
            stream.Add(kRecordColInfo, CPayload()
                                           .U16(static_cast<uint16_t>(column))
                                           .U16(static_cast<uint16_t>(column))
                                           .U16(width)
                                           .U16(kDefaultCellXf)
                                           .U16(kColInfoUserSet)
                                           .U16(0));
        }

        // Used range and, per row, its first and one-past-last column.
        struct row_span_stu {
            uint32_t first;
            uint32_t end;
        };
        std::map<uint32_t, row_span_stu> rows;
        uint32_t first_column = kBiff8MaxColumns;
        uint32_t end_column = 0;
        for (const auto& [position, cell] : sheet.cells) {
            const uint32_t last = cell.kind == CELL_RAW ? cell.last_column : position.second;
            auto [it, added] =
                rows.emplace(position.first, row_span_stu{position.second, last + 1});
            if (!added) {
                it->second.first = std::min(it->second.first, position.second);
                it->second.end = std::max(it->second.end, last + 1);
            }
            first_column = std::min(first_column, position.second);
            end_column = std::max(end_column, last + 1);
        }
        const uint32_t first_row = rows.empty() ? 0 : rows.begin()->first;
        const uint32_t end_row = rows.empty() ? 0 : rows.rbegin()->first + 1;
        if (rows.empty()) {
            first_column = 0;
        }
        stream.Add(kRecordDimensions, CPayload()
                                          .U32(first_row)
                                          .U32(end_row)
                                          .U16(static_cast<uint16_t>(first_column))
                                          .U16(static_cast<uint16_t>(end_column))
                                          .U16(0));

        // Rows go in blocks of 32: the block's ROW records, then its cells.
        constexpr uint32_t kRowsPerBlock = 32;
        auto row_it = rows.begin();
        auto cell_it = sheet.cells.begin();
        while (row_it != rows.end()) {
            const uint32_t block_end = (row_it->first / kRowsPerBlock + 1) * kRowsPerBlock;
            for (auto r = row_it; r != rows.end() && r->first < block_end; ++r) {
                stream.Add(kRecordRow, CPayload()
                                           .U16(static_cast<uint16_t>(r->first))
                                           .U16(static_cast<uint16_t>(r->second.first))
                                           .U16(static_cast<uint16_t>(r->second.end))
                                           .U16(kDefaultRowHeightTwips)
                                           .U16(0)
                                           .U16(0)
                                           .U32(kRowFlags));
            }
            for (; cell_it != sheet.cells.end() && cell_it->first.first < block_end; ++cell_it) {
                const auto row = static_cast<uint16_t>(cell_it->first.first);
                const auto column = static_cast<uint16_t>(cell_it->first.second);
                const cell_stu& cell = cell_it->second;
                switch (cell.kind) {
                    case CELL_TEXT:
                        stream.Add(kRecordLabelSst, CPayload()
                                                        .U16(row)
                                                        .U16(column)
                                                        .U16(kDefaultCellXf)
                                                        .U32(string_index.at(cell.text)));
                        break;
                    case CELL_NUMBER:
                        stream.Add(
                            kRecordNumber,
                            CPayload().U16(row).U16(column).U16(kDefaultCellXf).F64(cell.number));
                        break;
                    case CELL_BLANK:
                        stream.Add(kRecordBlank,
                                   CPayload().U16(row).U16(column).U16(kDefaultCellXf));
                        break;
                    case CELL_RAW:
                        stream.Add(cell.raw_type, cell.raw);
                        break;
                }
            }
            while (row_it != rows.end() && row_it->first < block_end) {
                ++row_it;
            }
        }

        stream.Add(kRecordWindow2, CPayload()
                                       .U16(s == 0 ? kWindow2FirstSheet : kWindow2OtherSheet)
                                       .U16(0)  // top row
                                       .U16(0)  // left column
                                       .U16(kGridlineColor)
                                       .U16(0)
                                       .U16(0)  // zoom in page break preview: default
                                       .U16(0)  // zoom in normal view: default
                                       .U32(0));
        stream.Add(kRecordEof);
    }

    return bytes;
}

bool CBiff8Workbook::Save(const std::string& path, std::string* error) const {
    return SaveBiff8Stream(path, Serialize(), error);
}

void AppendBiff8Record(std::vector<uint8_t>* stream, uint16_t type,
                       const std::vector<uint8_t>& payload) {
    CStream(stream).Add(type, payload);
}

void AppendBiff8SharedStrings(std::vector<uint8_t>* stream,
                              const std::vector<std::u16string>& strings, uint32_t references) {
    CStream records(stream);
    AddSharedStrings(&records, strings, references);
}

bool SaveBiff8Stream(const std::string& path, std::vector<uint8_t> bytes, std::string* error) {
    if (bytes.size() < kMinimumStreamSize) {
        bytes.resize(kMinimumStreamSize, 0);
    }
    auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };

    GError* open_error = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(path.c_str(), &open_error);
    if (sink == nullptr) {
        std::string why = open_error != nullptr ? open_error->message : "cannot create the file";
        if (open_error != nullptr) {
            g_error_free(open_error);
        }
        return fail(why);
    }
    GsfOutfile* container = gsf_outfile_msole_new(sink);
    g_object_unref(sink);  // the container holds its own reference
    if (container == nullptr) {
        return fail("cannot start the OLE2 container");
    }
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(container), kExcelClassId);

    std::string why;
    GsfOutput* workbook = gsf_outfile_new_child(container, "Workbook", FALSE);
    if (workbook == nullptr) {
        why = "cannot add the Workbook stream";
    } else {
        if (!gsf_output_write(workbook, bytes.size(), bytes.data())) {
            why = "cannot write the Workbook stream";
        }
        if (!gsf_output_close(workbook) && why.empty()) {
            why = "cannot finish the Workbook stream";
        }
        g_object_unref(workbook);
    }
    // Closing the container writes its directory and closes the file; a file
    // whose writing failed there is discarded rather than renamed into place.
    const bool closed = gsf_output_close(GSF_OUTPUT(container));
    if (!closed && why.empty()) {
        const GError* close_error = gsf_output_error(GSF_OUTPUT(container));
        why = close_error != nullptr ? close_error->message : "cannot finish the file";
    }
    g_object_unref(container);
    if (why.empty()) {
        return true;
    }
    if (closed) {
        // The stream failed but the container was still completed: a workbook
        // without its content must not stay behind.
        std::remove(path.c_str());
    }
    return fail(why);
}

}  // namespace plindar
