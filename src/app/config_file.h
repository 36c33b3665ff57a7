// Reading proxyconfig.xml into ConfigParams.
//
// The file is optional: a missing or unreadable file leaves every default
// in place, and a malformed one ends the reading where it goes wrong, with
// whatever was taken before kept. Elements are recognised at any depth and
// a setting that occurs more than once takes its last value.
//
// Thread safety: start-up only; no state of its own.
#ifndef APP_CONFIG_FILE_H_
#define APP_CONFIG_FILE_H_

#include <functional>
#include <string_view>

#include "app/config_params.h"

namespace Zorbel {

// Longest configuration file read; the rest of a longer file is ignored.
inline constexpr unsigned MAX_CONFIG_FILE = 65536;

void ReadConfiguration(const char* ConfigFile, ConfigParams& Config);

// Calls Element(name, text) in document order for every element whose
// content is text only (no child elements, some text), with the text's
// entities decoded and its characters converted to the internal set (the
// file is UTF-8 unless its declaration names another encoding). False when
// the file cannot be read or is malformed; the elements before the fault
// have been delivered.
//
// This is the configuration's only contact with the XML format, kept to
// one function so that the walk can move onto the project's XML reader.
using ConfigElementFn = std::function<void(std::string_view Name, std::string_view Text)>;
bool ForEachConfigElement(const char* ConfigFile, const ConfigElementFn& Element);
// The same over a document already in memory.
bool ForEachConfigElementIn(std::string_view Document, const ConfigElementFn& Element);

}  // namespace Zorbel

#endif  // APP_CONFIG_FILE_H_
