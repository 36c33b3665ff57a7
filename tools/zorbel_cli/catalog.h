// `zorbel-cli catalog`: the whole RG3561 catalogue as tab-separated lines.
//
// One record per line, fields separated by one TAB, lines ended by LF, texts
// in UTF-8. Every record has all its columns, empty ones included:
//
//   command  Name  code-in-decimal
//   request  Command  n  Field  TYPE  Table  DefaultPacket  DefaultSymbolic
//   answer   Command  Layout  n  Field  TYPE  Table
//   code     Table  PacketText  Name
//   bit      Word  BitNumber  Name
//
// TYPE is the field type's enumerator name; Table is the code table's or bit
// word's name without namespace, empty for the other types. A mandatory
// request field has "(none)" in both default columns. Layout is "*" for a
// fixed answer; an answer whose layout depends on its field 0 is listed once
// per code of its deciding table, under that code's packet text, field 0
// included.
//
// Thread safety: the writer uses the calling thread's text pools only.
#ifndef TOOLS_ZORBEL_CLI_CATALOG_H_
#define TOOLS_ZORBEL_CLI_CATALOG_H_

#include <ostream>
#include <string>

namespace ZorbelCli {

// Writes every record to out. False when a text cannot be converted or the
// stream fails.
bool WriteCatalog(std::ostream& out);

// Appends text, in the internal character set, to out in UTF-8. False (and
// nothing appended) when it cannot be converted.
bool AppendUtf8(std::string& out, const char* text);

// The subcommand: args are the words after "catalog". Returns the process
// exit status.
int RunCatalog(int argc, const char* const* argv);
extern const char* const kCatalogHelp;

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_CATALOG_H_
