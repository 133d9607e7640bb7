// Fuzz target: a workbook file handed back by the operator, read as a batch sheet.
// An input that starts like an OLE2 file is used as the whole file; any other
// input is taken as a Workbook stream and wrapped in a container first, so the
// mutations reach the record checks without having to keep a container intact.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "content/batch_sheet.h"
#include "content/biff8_writer.h"
#include "content/xls_reader.h"
#include "fuzz_input_file.h"
#include "protocol/fixed_text.h"

using namespace plindar;

namespace {

constexpr uint8_t kOleSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// Cells read per sheet: enough to reach every column a batch sheet has.
constexpr uint32_t kMaxRowsRead = 64;
constexpr uint32_t kMaxColumnsRead = 64;
constexpr size_t kDevices = 3;

custom_value_stu FuzzTemplate() {
    custom_value_stu templ{};
    templ.wanCount = 2;
    templ.dualBand = 1;
    WriteFixedText(templ.vid[1], "100");
    WriteFixedText(templ.ChannelMode[1], "2");
    return templ;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzInputFile input("fuzz_xls_reader", ".xls");
    const std::string& path = input.Path();

    const bool whole_file = size >= sizeof(kOleSignature) &&
                            std::memcmp(data, kOleSignature, sizeof(kOleSignature)) == 0;
    const std::vector<uint8_t> stream(data, data + size);
    if (whole_file) {
        if (!input.Write(data, size)) {
            return 0;
        }
    } else {
        if (!SaveBiff8Stream(path, stream)) {
            return 0;
        }

        // The clean copy is already in its plain form: cleaning it again must
        // change nothing.
        std::vector<uint8_t> once;
        std::vector<uint8_t> twice;
        std::string error;
        if (NormalizeBiff8Stream(stream, &once, &error)) {
            if (!NormalizeBiff8Stream(once, &twice, &error) || once != twice) {
                std::abort();
            }
        }
    }

    CXlsReader reader;
    if (reader.Open(path)) {
        for (unsigned s = 0; s < reader.SheetCount(); ++s) {
            std::string name;
            reader.SheetName(s, &name);
            if (!reader.SelectSheet(s)) {
                continue;
            }
            const uint32_t rows = std::min(reader.RowCount(), kMaxRowsRead);
            const uint32_t columns = std::min(reader.ColumnCount(), kMaxColumnsRead);
            for (uint32_t r = 0; r < rows; ++r) {
                for (uint32_t c = 0; c < columns; ++c) {
                    volatile size_t sink = reader.ReadCellText(r, c).size();
                    (void)sink;
                }
            }
        }
    }
    const custom_value_stu templ = FuzzTemplate();
    for (bool wireless : {false, true}) {
        volatile size_t sink = ReadBatchSheet(path, templ, kDevices, wireless).records.size();
        (void)sink;
    }
    return 0;
}
