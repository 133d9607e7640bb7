// Device configuration files: the template of personalisable values taken from the
// chosen file, and the per-device copy that carries one device's values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "content/custom_value.h"

namespace plindar {

// The file is handled as bytes, one line at a time: CR LF or a lone LF ends a line,
// every written line ends in CR LF, and a line no rule touches is written back
// byte for byte. It is never parsed as XML.

// RewriteXmlFile's dual_band: which wireless rules apply. Any other value applies
// neither set, only the identity and WAN rules.
constexpr int kSingleBand = 0;
constexpr int kDualBand = 1;

// A device transfer carries no more than this, so a larger file is refused before
// it is read into memory.
constexpr size_t kMaxConfigFileBytes = size_t{64} * 1024 * 1024;

// Folder beside the program that receives the per-device files.
inline constexpr char kModifyXmlFolder[] = "ModifyXml";

// Operator texts (English keys for TranslateText).
inline constexpr char kTemplateReadFailText[] = "Analysis xml settting error?";
inline constexpr char kModifyXmlFailText[] = "Modify New Xml file fail!";
inline constexpr char kCopyXmlFailText[] = "Copy New Xml file fail!";

// The value written into an attribute, with & < > " ' as named references and tab,
// LF and CR as character references, so the line stays one well-formed entry.
std::string EscapeXmlValue(std::string_view value);

// The inverse for values read from the file: the five named references and decimal
// or hexadecimal character references (as UTF-8) are resolved; anything else that
// starts with & is kept as it stands.
std::string UnescapeXmlValue(std::string_view value);

// Fills *templ (zeroed first) from the file's content. False, with *templ zeroed and
// a translated message, when a value does not fit its field or holds a zero byte:
// such a value is refused rather than cut.
bool ParseTemplateText(std::string_view content, custom_value_stu* templ, std::string* message);

// ParseTemplateText on a file's content; false also when the file cannot be read or
// is larger than kMaxConfigFileBytes. message may be null.
bool ParseTemplateXml(const std::string& path, custom_value_stu* templ, std::string* message);
bool ParseTemplateXml(const std::string& path, custom_value_stu* templ);

// The content with this device's values in the personalised entries. A device
// wanCount outside 0..kMaxWanEntries is held to that range.
std::string RewriteXmlText(int dual_band, const custom_value_stu& values, std::string_view content);

// RewriteXmlText from source into output (created or truncated). The source is read
// whole before output is opened, so both may name the same file. False when the
// source cannot be read or is too large, or output cannot be written; a partly
// written output is removed so that no half file is ever sent.
bool RewriteXmlFile(int dual_band, const custom_value_stu& values, const std::string& source,
                    const std::string& output);

// program_folder + "ModifyXml/" + the MAC text without its colons + ".xml"; empty
// when what remains of the MAC text cannot be a file name in that folder.
std::string DeviceXmlPath(const std::string& program_folder, const std::string& mac_text);

struct xml_write_result {
    bool ok;
    std::string path;     // the per-device file, also when writing it failed
    std::string message;  // translated; empty when ok
};

// Writes one device's configuration file into ModifyXml (created when missing): a
// rewrite with its values when a batch sheet was generated, otherwise a byte-for-byte
// copy of the chosen file. Every failure, the copy's included, is reported.
xml_write_result WriteDeviceXml(const std::string& program_folder, const std::string& chosen_xml,
                                bool sheet_generated, int dual_band, const custom_value_stu& values,
                                const std::string& mac_text);

}  // namespace plindar
