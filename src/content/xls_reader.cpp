// Workbook cells through libfreexl. libfreexl trusts the lengths inside the file
// (container directory, string and record sizes), so it never sees the
// operator's file: the Workbook stream is taken out with libgsf, rebuilt here
// from checked records, and handed over in a container of our own making.
#include "content/xls_reader.h"

#include <freexl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "content/biff8_writer.h"

namespace plindar {
namespace {

// Whole numbers below this are shown with all their digits, as a spreadsheet
// keeps 15 significant digits of what was typed.
constexpr double kWholeNumberDigitsLimit = 1e15;
constexpr size_t kNumberTextCapacity = 64;

// Record types read from a foreign workbook.
constexpr uint16_t kRecordBof = 0x0809;
constexpr uint16_t kRecordEof = 0x000A;
constexpr uint16_t kRecordContinue = 0x003C;
constexpr uint16_t kRecordSst = 0x00FC;
constexpr uint16_t kRecordDateMode = 0x0022;
constexpr uint16_t kRecordFilePass = 0x002F;
constexpr uint16_t kRecordBoundSheet = 0x0085;
constexpr uint16_t kRecordFormat = 0x041E;
constexpr uint16_t kRecordXf = 0x00E0;
constexpr uint16_t kRecordDimensions = 0x0200;
constexpr uint16_t kRecordNumber = 0x0203;
constexpr uint16_t kRecordBoolErr = 0x0205;
constexpr uint16_t kRecordRk = 0x027E;
constexpr uint16_t kRecordMulRk = 0x00BD;
constexpr uint16_t kRecordLabel = 0x0204;
constexpr uint16_t kRecordLabelSst = 0x00FD;

constexpr uint16_t kBiff8Version = 0x0600;
constexpr uint16_t kBiff5Version = 0x0500;
constexpr uint16_t kSubstreamGlobals = 0x0005;
constexpr uint16_t kSubstreamWorksheet = 0x0010;
constexpr uint16_t kBuildId = 0x0DBB;
constexpr uint16_t kBuildYear = 0x07CC;
constexpr uint32_t kLowestBiffVersion = 0x0006;

constexpr size_t kRecordHeaderSize = 4;
constexpr size_t kXfSize = 20;
constexpr size_t kMaxXfRecords = 65536;
constexpr size_t kMaxSheets = 4096;
constexpr size_t kMaxFormatUnits = 255;
constexpr uint32_t kMaxColumns = 256;

// Payload sizes of the cell records: row, column and format come first.
constexpr size_t kCellHeaderSize = 6;
constexpr size_t kNumberSize = kCellHeaderSize + 8;
constexpr size_t kRkSize = kCellHeaderSize + 4;
constexpr size_t kBoolErrSize = kCellHeaderSize + 2;
constexpr size_t kLabelSstSize = kCellHeaderSize + 4;
constexpr size_t kLabelHeaderSize = kCellHeaderSize + 2;

// String flags.
constexpr uint8_t kStringHighByte = 0x01;
constexpr uint8_t kStringExtended = 0x04;
constexpr uint8_t kStringRich = 0x08;
constexpr size_t kRichRunSize = 4;

std::string FreexlError(const char* what, int status) {
    return std::string(what) + " (freexl status " + std::to_string(status) + ")";
}

// Little-endian fields of one record's payload, never read past its end.
class CRecordView {
public:
    CRecordView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Size() const { return size_; }
    bool Has(size_t offset, size_t n) const { return offset <= size_ && n <= size_ - offset; }
    uint8_t U8(size_t o) const { return Has(o, 1) ? data_[o] : 0; }
    uint16_t U16(size_t o) const {
        return Has(o, 2) ? static_cast<uint16_t>(data_[o] | (data_[o + 1] << 8)) : 0;
    }
    uint32_t U32(size_t o) const {
        return Has(o, 4) ? static_cast<uint32_t>(U16(o)) | (static_cast<uint32_t>(U16(o + 2)) << 16)
                         : 0;
    }
    const uint8_t* At(size_t o) const { return data_ + o; }

private:
    const uint8_t* data_;
    size_t size_;
};

// A string of `units` characters whose flags byte is at `pos`, all inside the
// record; rich-text and phonetic fields are stepped over when `extras` allows.
bool ReadRecordString(const CRecordView& r, size_t pos, size_t units, bool extras,
                      std::u16string* out) {
    if (!r.Has(pos, 1) || units > kMaxReadableTextUnits) {
        return false;
    }
    const uint8_t flags = r.U8(pos++);
    if (extras) {
        pos += (flags & kStringRich) ? 2 : 0;
        pos += (flags & kStringExtended) ? 4 : 0;
    }
    const bool high = (flags & kStringHighByte) != 0;
    const size_t unit = high ? 2 : 1;
    if (!r.Has(pos, units * unit)) {
        return false;
    }
    out->clear();
    for (size_t i = 0; i < units; ++i) {
        out->push_back(high ? static_cast<char16_t>(r.U16(pos + 2 * i))
                            : static_cast<char16_t>(r.U8(pos + i)));
    }
    return true;
}

// The shared string table as one byte sequence over SST and CONTINUE payloads,
// with the flags byte a string's characters restate where they cross into the
// next record.
class CSstCursor {
public:
    explicit CSstCursor(std::vector<CRecordView> parts) : parts_(std::move(parts)) {
        for (const CRecordView& p : parts_) {
            remaining_ += p.Size();
        }
    }
    bool AtEnd() const { return remaining_ == 0; }

    // Plain bytes (counts, run and phonetic data) may cross records unmarked.
    bool Raw(size_t n, uint8_t* out) {
        while (n > 0) {
            if (part_ >= parts_.size()) {
                return false;
            }
            const CRecordView& p = parts_[part_];
            if (pos_ == p.Size()) {
                ++part_;
                pos_ = 0;
                continue;
            }
            const size_t take = std::min(n, p.Size() - pos_);
            if (out != nullptr) {
                std::memcpy(out, p.At(pos_), take);
                out += take;
            }
            Consume(take);
            n -= take;
        }
        return true;
    }
    bool Skip(uint64_t n) {
        if (n > remaining_) {
            return false;
        }
        return Raw(static_cast<size_t>(n), nullptr);
    }

    bool Chars(size_t count, bool high, std::u16string* out) {
        out->clear();
        while (count > 0) {
            if (part_ >= parts_.size()) {
                return false;
            }
            if (pos_ == parts_[part_].Size()) {
                ++part_;
                pos_ = 0;
                if (part_ >= parts_.size() || parts_[part_].Size() == 0) {
                    return false;
                }
                high = (parts_[part_].U8(0) & kStringHighByte) != 0;
                Consume(1);
                continue;
            }
            const CRecordView& p = parts_[part_];
            const size_t unit = high ? 2 : 1;
            const size_t take = std::min(count, (p.Size() - pos_) / unit);
            if (take == 0) {
                return false;  // half a character at the end of a record
            }
            for (size_t i = 0; i < take; ++i) {
                out->push_back(high ? static_cast<char16_t>(p.U16(pos_ + 2 * i))
                                    : static_cast<char16_t>(p.U8(pos_ + i)));
            }
            Consume(take * unit);
            count -= take;
        }
        return true;
    }

private:
    void Consume(size_t n) {
        pos_ += n;
        remaining_ -= n;
    }

    std::vector<CRecordView> parts_;
    size_t part_ = 0;
    size_t pos_ = 0;
    size_t remaining_ = 0;
};

// Little-endian payload builder for the records written out again.
class CFields {
public:
    CFields& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    CFields& U16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    CFields& U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        return U16(static_cast<uint16_t>(v >> 16));
    }
    CFields& Bytes(const uint8_t* data, size_t n) {
        bytes.insert(bytes.end(), data, data + n);
        return *this;
    }
    CFields& Text(const std::u16string& text) {
        for (char16_t c : text) {
            U16(c);
        }
        return *this;
    }
    std::vector<uint8_t> bytes;
};

struct sheet_entry_stu {
    uint32_t old_offset;
    uint8_t state;
    uint8_t type;
    std::u16string name;
};

struct substream_stu {
    uint16_t type = kSubstreamWorksheet;
    std::vector<uint8_t> cells;  // cell records, ready to append
    uint32_t string_cells = 0;   // of them, cells that use a shared string
    uint32_t rows = 0;           // one past the last used row
    uint32_t columns = 0;        // one past the last used column
};

class CNormalizer {
public:
    CNormalizer(const std::vector<uint8_t>& in, std::string* error) : in_(in), error_(*error) {}

    bool Run(std::vector<uint8_t>* out) {
        if (!ReadGlobals() || !ReadSubstreams()) {
            return false;
        }
        Write(out);
        return true;
    }

private:
    struct record_stu {
        uint16_t type;
        size_t offset;  // of the record header in the stream
        CRecordView data;
    };

    bool Fail(const std::string& why) {
        error_ = why;
        return false;
    }

    // The next record: 1, or 0 at the end of the records (the end of the stream
    // or zero padding after them), or -1 for a record cut short.
    int Next(record_stu* record) {
        if (in_.size() - pos_ < kRecordHeaderSize) {
            return 0;
        }
        const CRecordView header(in_.data() + pos_, kRecordHeaderSize);
        const uint16_t type = header.U16(0);
        const uint16_t size = header.U16(2);
        if (type == 0 && size == 0) {
            return 0;
        }
        if (in_.size() - pos_ - kRecordHeaderSize < size) {
            return -1;
        }
        *record = record_stu{type, pos_, CRecordView(in_.data() + pos_ + kRecordHeaderSize, size)};
        pos_ += kRecordHeaderSize + size;
        return 1;
    }
    bool PeekContinue() const {
        if (in_.size() - pos_ < kRecordHeaderSize) {
            return false;
        }
        return CRecordView(in_.data() + pos_, kRecordHeaderSize).U16(0) == kRecordContinue;
    }

    bool ReadGlobals() {
        record_stu r{0, 0, CRecordView(nullptr, 0)};
        if (Next(&r) != 1 || r.type != kRecordBof || !r.data.Has(0, 4)) {
            return Fail("not a workbook stream (no BOF record)");
        }
        if (r.data.U16(0) == kBiff5Version) {
            return Fail("an Excel 5/95 workbook; only Excel 97 and later (BIFF8) are read");
        }
        if (r.data.U16(0) != kBiff8Version || r.data.U16(2) != kSubstreamGlobals) {
            return Fail("not a BIFF8 workbook");
        }
        bool have_sst = false;
        for (;;) {
            const int got = Next(&r);
            if (got != 1) {
                return Fail("the workbook globals end early");
            }
            const CRecordView& d = r.data;
            switch (r.type) {
                case kRecordEof:
                    return true;
                case kRecordBof:
                    return Fail("a substream inside the workbook globals");
                case kRecordFilePass:
                    return Fail("the workbook is encrypted");
                case kRecordDateMode:
                    if (d.Has(0, 2)) {
                        date_mode_ = d.U16(0) & 1;
                    }
                    break;
                case kRecordXf:
                    if (d.Has(0, 4) && xfs_.size() < kMaxXfRecords) {
                        std::vector<uint8_t> xf(kXfSize, 0);
                        std::memcpy(xf.data(), d.At(0), std::min(d.Size(), kXfSize));
                        xfs_.push_back(std::move(xf));
                    }
                    break;
                case kRecordFormat: {
                    std::u16string text;
                    const uint16_t units = d.U16(2);
                    if (!d.Has(0, 4) || units > kMaxFormatUnits ||
                        !ReadRecordString(d, 4, units, true, &text)) {
                        return Fail("a damaged number format record");
                    }
                    if (!text.empty()) {
                        formats_.push_back(CFields()
                                               .U16(d.U16(0))
                                               .U16(static_cast<uint16_t>(text.size()))
                                               .U8(kStringHighByte)
                                               .Text(text)
                                               .bytes);
                    }
                    break;
                }
                case kRecordBoundSheet: {
                    sheet_entry_stu sheet{d.U32(0), d.U8(4), d.U8(5), {}};
                    const uint8_t units = d.U8(6);
                    if (!d.Has(0, 7) || units == 0 ||
                        !ReadRecordString(d, 7, units, false, &sheet.name)) {
                        return Fail("a damaged sheet record");
                    }
                    if (sheets_.size() >= kMaxSheets) {
                        return Fail("too many sheets");
                    }
                    sheets_.push_back(std::move(sheet));
                    break;
                }
                case kRecordSst:
                    if (have_sst) {
                        return Fail("a second shared string table");
                    }
                    have_sst = true;
                    if (!ReadSharedStrings(d)) {
                        return false;
                    }
                    break;
                default:
                    break;  // formatting, names, window settings: not needed
            }
        }
    }

    // Keeps the non-empty strings; an empty one (the cell library refuses them)
    // makes the cells that use it empty cells.
    bool ReadSharedStrings(const CRecordView& first) {
        std::vector<CRecordView> parts = {first};
        record_stu r{0, 0, CRecordView(nullptr, 0)};
        while (PeekContinue() && Next(&r) == 1) {
            parts.push_back(r.data);
        }
        CSstCursor cursor(std::move(parts));
        uint8_t counts[8];
        if (!cursor.Raw(sizeof(counts), counts)) {
            return Fail("a damaged shared string table");
        }
        const uint32_t unique = CRecordView(counts, sizeof(counts)).U32(4);
        std::u16string text;
        for (uint32_t i = 0; i < unique && !cursor.AtEnd(); ++i) {
            uint8_t header[3];
            if (!cursor.Raw(sizeof(header), header)) {
                return Fail("a damaged shared string table");
            }
            const CRecordView h(header, sizeof(header));
            const size_t units = h.U16(0);
            const uint8_t flags = h.U8(2);
            uint8_t field[4] = {0, 0, 0, 0};
            uint64_t runs = 0;
            uint64_t extended = 0;
            if ((flags & kStringRich) != 0) {
                if (!cursor.Raw(2, field)) {
                    return Fail("a damaged shared string table");
                }
                runs = CRecordView(field, 2).U16(0);
            }
            if ((flags & kStringExtended) != 0) {
                if (!cursor.Raw(4, field)) {
                    return Fail("a damaged shared string table");
                }
                extended = CRecordView(field, 4).U32(0);
            }
            if (units > kMaxReadableTextUnits) {
                return Fail("a cell text longer than " + std::to_string(kMaxReadableTextUnits) +
                            " characters");
            }
            if (!cursor.Chars(units, (flags & kStringHighByte) != 0, &text) ||
                !cursor.Skip(runs * kRichRunSize) || !cursor.Skip(extended)) {
                return Fail("a damaged shared string table");
            }
            if (text.empty()) {
                sst_index_.push_back(kNoString);
            } else {
                sst_index_.push_back(static_cast<uint32_t>(strings_.size()));
                strings_.push_back(text);
            }
        }
        return true;
    }

    bool ReadSubstreams() {
        record_stu r{0, 0, CRecordView(nullptr, 0)};
        uint64_t cells_in_workbook = 0;
        for (;;) {
            const int got = Next(&r);
            if (got == 0) {
                return true;
            }
            if (got < 0) {
                return Fail("a record cut short");
            }
            if (r.type != kRecordBof) {
                continue;  // nothing belongs between substreams
            }
            substream_stu& sheet = substreams_[static_cast<uint32_t>(r.offset)];
            sheet.type = r.data.U16(2);
            const bool worksheet = sheet.type == kSubstreamWorksheet;
            int depth = 1;
            while (depth > 0) {
                const int more = Next(&r);
                if (more == 0) {
                    break;  // a last substream without EOF is closed here
                }
                if (more < 0) {
                    return Fail("a record cut short");
                }
                if (r.type == kRecordBof) {
                    ++depth;  // an embedded chart: not cells of this sheet
                } else if (r.type == kRecordEof) {
                    --depth;
                } else if (r.type == kRecordFilePass) {
                    return Fail("the workbook is encrypted");
                } else if (depth == 1 && worksheet && !ReadCell(r, &sheet)) {
                    return false;
                }
            }
            cells_in_workbook += static_cast<uint64_t>(sheet.rows) * sheet.columns;
            if (cells_in_workbook > kMaxReadableSheetCells) {
                return Fail("the sheets' used ranges are larger than " +
                            std::to_string(kMaxReadableSheetCells) + " cells");
            }
        }
    }

    bool AddCell(substream_stu* sheet, uint16_t type, uint32_t row, uint32_t column,
                 const std::vector<uint8_t>& payload) {
        if (column >= kMaxColumns) {
            return Fail("a cell outside the 256 columns of a sheet");
        }
        AppendBiff8Record(&sheet->cells, type, payload);
        sheet->rows = std::max(sheet->rows, row + 1);
        sheet->columns = std::max(sheet->columns, column + 1);
        return true;
    }

    bool ReadCell(const record_stu& r, substream_stu* sheet) {
        const CRecordView& d = r.data;
        const uint16_t row = d.U16(0);
        const uint16_t column = d.U16(2);
        const uint16_t xf = d.U16(4);
        auto damaged = [&]() { return Fail("a damaged cell record"); };
        switch (r.type) {
            case kRecordNumber:
                if (!d.Has(0, kNumberSize)) {
                    return damaged();
                }
                return AddCell(sheet, kRecordNumber, row, column,
                               CFields()
                                   .U16(row)
                                   .U16(column)
                                   .U16(xf)
                                   .Bytes(d.At(kCellHeaderSize), kNumberSize - kCellHeaderSize)
                                   .bytes);
            case kRecordRk:
                if (!d.Has(0, kRkSize)) {
                    return damaged();
                }
                return AddCell(
                    sheet, kRecordRk, row, column,
                    CFields().U16(row).U16(column).U16(xf).U32(d.U32(kCellHeaderSize)).bytes);
            case kRecordMulRk: {
                // Column, then (format, value) pairs, then the last column.
                constexpr size_t kFixed = 6;
                constexpr size_t kPair = 6;
                if (d.Size() < kFixed + kPair || (d.Size() - kFixed) % kPair != 0) {
                    return damaged();
                }
                const size_t count = (d.Size() - kFixed) / kPair;
                for (size_t i = 0; i < count; ++i) {
                    const size_t at = 4 + i * kPair;
                    const uint32_t c = column + static_cast<uint32_t>(i);
                    if (!AddCell(sheet, kRecordRk, row, c,
                                 CFields()
                                     .U16(row)
                                     .U16(static_cast<uint16_t>(std::min<uint32_t>(c, 0xFFFF)))
                                     .U16(d.U16(at))
                                     .U32(d.U32(at + 2))
                                     .bytes)) {
                        return false;
                    }
                }
                return true;
            }
            case kRecordBoolErr:
                if (!d.Has(0, kBoolErrSize)) {
                    return damaged();
                }
                if (d.U8(kCellHeaderSize + 1) != 0) {
                    return true;  // an error value such as #N/A: no value to read
                }
                return AddCell(sheet, kRecordBoolErr, row, column,
                               CFields()
                                   .U16(row)
                                   .U16(column)
                                   .U16(xf)
                                   .U8(d.U8(kCellHeaderSize) != 0)
                                   .U8(0)
                                   .bytes);
            case kRecordLabel: {
                std::u16string text;
                if (!d.Has(0, kLabelHeaderSize) ||
                    !ReadRecordString(d, kLabelHeaderSize, d.U16(kCellHeaderSize), true, &text)) {
                    return damaged();
                }
                if (text.empty()) {
                    return true;
                }
                strings_.push_back(std::move(text));
                return AddStringCell(sheet, row, column, xf,
                                     static_cast<uint32_t>(strings_.size() - 1));
            }
            case kRecordLabelSst: {
                if (!d.Has(0, kLabelSstSize)) {
                    return damaged();
                }
                const uint32_t index = d.U32(kCellHeaderSize);
                if (index >= sst_index_.size()) {
                    return Fail("a cell refers to a shared string that does not exist");
                }
                if (sst_index_[index] == kNoString) {
                    return true;
                }
                return AddStringCell(sheet, row, column, xf, sst_index_[index]);
            }
            default:
                return true;  // blanks, formulas and the rest: no value to read
        }
    }

    bool AddStringCell(substream_stu* sheet, uint16_t row, uint16_t column, uint16_t xf,
                       uint32_t string) {
        ++sheet->string_cells;
        return AddCell(sheet, kRecordLabelSst, row, column,
                       CFields().U16(row).U16(column).U16(xf).U32(string).bytes);
    }

    static std::vector<uint8_t> Bof(uint16_t type) {
        return CFields()
            .U16(kBiff8Version)
            .U16(type)
            .U16(kBuildId)
            .U16(kBuildYear)
            .U32(0)
            .U32(kLowestBiffVersion)
            .bytes;
    }

    void Write(std::vector<uint8_t>* out) {
        out->clear();
        AppendBiff8Record(out, kRecordBof, Bof(kSubstreamGlobals));
        AppendBiff8Record(out, kRecordDateMode, CFields().U16(date_mode_).bytes);
        for (const std::vector<uint8_t>& xf : xfs_) {
            AppendBiff8Record(out, kRecordXf, xf);
        }
        for (const std::vector<uint8_t>& format : formats_) {
            AppendBiff8Record(out, kRecordFormat, format);
        }
        // One substream per sheet record, in their order; a sheet whose
        // substream is missing, or already given to another, comes out empty.
        std::vector<const substream_stu*> chosen;
        std::set<uint32_t> used;
        uint32_t references = 0;
        for (const sheet_entry_stu& sheet : sheets_) {
            const auto found = substreams_.find(sheet.old_offset);
            const bool use = found != substreams_.end() && used.insert(found->first).second;
            chosen.push_back(use ? &found->second : nullptr);
            references += use ? found->second.string_cells : 0;
        }

        std::vector<size_t> offset_fields;
        for (const sheet_entry_stu& sheet : sheets_) {
            offset_fields.push_back(out->size() + kRecordHeaderSize);
            AppendBiff8Record(out, kRecordBoundSheet,
                              CFields()
                                  .U32(0)
                                  .U8(sheet.state)
                                  .U8(sheet.type)
                                  .U8(static_cast<uint8_t>(sheet.name.size()))
                                  .U8(kStringHighByte)
                                  .Text(sheet.name)
                                  .bytes);
        }
        AppendBiff8SharedStrings(out, strings_, references);
        AppendBiff8Record(out, kRecordEof, {});

        const substream_stu empty;
        for (size_t i = 0; i < sheets_.size(); ++i) {
            const bool use = chosen[i] != nullptr;
            const substream_stu& sheet = use ? *chosen[i] : empty;
            const auto position = static_cast<uint32_t>(out->size());
            for (size_t b = 0; b < 4; ++b) {
                (*out)[offset_fields[i] + b] = static_cast<uint8_t>(position >> (8 * b));
            }
            AppendBiff8Record(out, kRecordBof, Bof(use ? sheet.type : kSubstreamWorksheet));
            AppendBiff8Record(out, kRecordDimensions,
                              CFields()
                                  .U32(0)
                                  .U32(sheet.rows)
                                  .U16(0)
                                  .U16(static_cast<uint16_t>(sheet.columns))
                                  .U16(0)
                                  .bytes);
            out->insert(out->end(), sheet.cells.begin(), sheet.cells.end());
            AppendBiff8Record(out, kRecordEof, {});
        }
    }

    static constexpr uint32_t kNoString = 0xFFFFFFFF;

    const std::vector<uint8_t>& in_;
    std::string& error_;
    size_t pos_ = 0;
    uint16_t date_mode_ = 0;
    std::vector<std::vector<uint8_t>> xfs_;
    std::vector<std::vector<uint8_t>> formats_;
    std::vector<sheet_entry_stu> sheets_;
    std::vector<std::u16string> strings_;
    std::vector<uint32_t> sst_index_;               // shared string number -> index in strings_
    std::map<uint32_t, substream_stu> substreams_;  // by the BOF's position
};

// The Workbook stream of an OLE2 file, through libgsf.
bool ReadWorkbookStream(const std::string& path, std::vector<uint8_t>* stream, std::string* error) {
    GError* gerror = nullptr;
    GsfInput* input = gsf_input_stdio_new(path.c_str(), &gerror);
    if (input == nullptr) {
        *error = std::string("cannot read the file: ") +
                 (gerror != nullptr ? gerror->message : path.c_str());
        g_clear_error(&gerror);
        return false;
    }
    GsfInfile* container = gsf_infile_msole_new(input, &gerror);
    g_object_unref(input);
    if (container == nullptr) {
        *error = std::string("not an OLE2 compound file: ") +
                 (gerror != nullptr ? gerror->message : "unreadable container");
        g_clear_error(&gerror);
        return false;
    }
    GsfInput* workbook = nullptr;
    const int children = gsf_infile_num_children(container);
    for (int i = 0; i < children && workbook == nullptr; ++i) {
        const char* name = gsf_infile_name_by_index(container, i);
        if (name != nullptr && g_ascii_strcasecmp(name, "Workbook") == 0) {
            workbook = gsf_infile_child_by_index(container, i);
        }
    }
    g_object_unref(container);
    if (workbook == nullptr) {
        *error = "no Workbook stream: not an Excel 97 or later workbook";
        return false;
    }
    const gsf_off_t size = gsf_input_size(workbook);
    bool ok = size >= 0 && static_cast<uint64_t>(size) <= kMaxWorkbookFileBytes;
    if (!ok) {
        *error = "the Workbook stream is too large";
    } else {
        stream->assign(static_cast<size_t>(size), 0);
        if (size > 0 &&
            gsf_input_read(workbook, static_cast<size_t>(size), stream->data()) == nullptr) {
            *error = "the Workbook stream is cut short";
            ok = false;
        }
    }
    g_object_unref(workbook);
    return ok;
}

// A private file in the temporary folder, removed when it goes out of scope.
class CTemporaryFile {
public:
    CTemporaryFile() {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern =
            std::string(folder != nullptr && *folder ? folder : "/tmp") + "/plindar-xls-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            close(fd);
            path_ = pattern;
        }
    }
    ~CTemporaryFile() {
        if (!path_.empty()) {
            unlink(path_.c_str());
        }
    }
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

std::string NumberCellText(double value) {
    if (value == 0) {
        return "0";  // also for -0
    }
    char text[kNumberTextCapacity];
    std::to_chars_result result{};
    if (std::isfinite(value) && std::trunc(value) == value &&
        std::fabs(value) < kWholeNumberDigitsLimit) {
        result = std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed);
    } else {
        result = std::to_chars(text, text + sizeof(text), value);
    }
    if (result.ec != std::errc()) {
        return {};
    }
    return std::string(text, result.ptr);
}

bool NormalizeBiff8Stream(const std::vector<uint8_t>& stream, std::vector<uint8_t>* normalized,
                          std::string* error) {
    std::string why;
    CNormalizer normalizer(stream, &why);
    const bool ok = normalizer.Run(normalized);
    if (!ok && error != nullptr) {
        *error = why;
    }
    return ok;
}

CXlsReader::~CXlsReader() {
    Close();
}

void CXlsReader::Close() {
    if (handle_ != nullptr) {
        freexl_close(handle_);
        handle_ = nullptr;
    }
    sheet_count_ = 0;
    rows_ = 0;
    columns_ = 0;
}

bool CXlsReader::Open(const std::string& path) {
    Close();
    last_error_.clear();

    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status)) {
        last_error_ = "no workbook file at " + path;
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxWorkbookFileBytes) {
        last_error_ = "file too large for a workbook: " + path;
        return false;
    }

    std::vector<uint8_t> stream;
    std::vector<uint8_t> normalized;
    if (!ReadWorkbookStream(path, &stream, &last_error_) ||
        !NormalizeBiff8Stream(stream, &normalized, &last_error_)) {
        return false;
    }
    CTemporaryFile clean;
    if (clean.Path().empty() ||
        !SaveBiff8Stream(clean.Path(), std::move(normalized), &last_error_)) {
        last_error_ = "cannot write the temporary copy: " + last_error_;
        return false;
    }

    const void* handle = nullptr;
    const int opened = freexl_open(clean.Path().c_str(), &handle);
    if (opened != FREEXL_OK || handle == nullptr) {
        // The library may hand back a half-built handle on failure, and reports
        // some failures as success with no handle.
        if (handle != nullptr) {
            freexl_close(handle);
        }
        last_error_ = FreexlError("the cell library cannot read the workbook", opened);
        return false;
    }
    handle_ = handle;

    unsigned int info = 0;
    const int rc = freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &info);
    if (rc != FREEXL_OK) {
        last_error_ = FreexlError("cannot count the sheets", rc);
        Close();
        return false;
    }
    sheet_count_ = info;
    if (sheet_count_ > 0 && !SelectSheet(0)) {
        const std::string why = last_error_;
        Close();
        last_error_ = why;
        return false;
    }
    return true;
}

bool CXlsReader::SheetName(unsigned index, std::string* name) const {
    if (handle_ == nullptr || index >= sheet_count_ || name == nullptr) {
        return false;
    }
    const char* text = nullptr;
    if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(index), &text) !=
            FREEXL_OK ||
        text == nullptr) {
        return false;
    }
    *name = text;
    return true;
}

bool CXlsReader::SelectSheet(unsigned index) {
    rows_ = 0;
    columns_ = 0;
    if (handle_ == nullptr || index >= sheet_count_) {
        last_error_ = "no sheet " + std::to_string(index);
        return false;
    }
    int rc = freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index));
    if (rc != FREEXL_OK) {
        last_error_ = FreexlError("cannot select the sheet", rc);
        return false;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    rc = freexl_worksheet_dimensions(handle_, &rows, &columns);
    if (rc != FREEXL_OK) {
        last_error_ = FreexlError("cannot read the sheet's extent", rc);
        return false;
    }
    rows_ = rows;
    columns_ = columns;
    return true;
}

xls_cell_stu CXlsReader::ReadCell(uint32_t row, uint32_t column) const {
    xls_cell_stu cell;
    if (handle_ == nullptr || row >= rows_ || column >= columns_) {
        return cell;
    }
    FreeXL_CellValue value{};
    if (freexl_get_cell_value(handle_, row, static_cast<unsigned short>(column), &value) !=
        FREEXL_OK) {
        return cell;
    }
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = XLS_CELL_NUMBER;
            cell.number = value.value.int_value;
            cell.text = std::to_string(value.value.int_value);
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = XLS_CELL_NUMBER;
            cell.number = value.value.double_value;
            cell.text = NumberCellText(value.value.double_value);
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            if (value.value.text_value != nullptr) {
                cell.kind = XLS_CELL_TEXT;
                cell.text = value.value.text_value;
            }
            break;
        default:
            break;
    }
    return cell;
}

}  // namespace plindar
