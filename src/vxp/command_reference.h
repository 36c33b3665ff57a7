// The command reference, made from the catalogue itself so that it can
// never disagree with what the bridge reads: a JSON Schema that command
// documents can be checked against before they are sent, an example request
// of every command in both document formats, and the reference page that
// lists every command, field, code table and status bit.
//
// The schema (JSON Schema draft 2020-12) has one alternative per command.
// It follows the readers where they are lenient: command, field and code
// names match with ASCII case ignored, a value may be a JSON string or a
// number, a code may be given by its name or its packet text, a bit word by
// an array of bit names or one text. It is stricter in one place on purpose:
// a field the command does not have is refused (the bridge ignores it, but
// it is nearly always a misspelt name whose value would be lost).
//
// Thread safety: the schema is built once, on first use, in a thread-safe
// static; everything else is made on the caller's stack.
#ifndef VXP_COMMAND_REFERENCE_H_
#define VXP_COMMAND_REFERENCE_H_

#include <string>

#include "vxb/common/format/html.h"
#include "vxp/argentina/catalogo_rg3561.h"

namespace VXP::Reference {

// The schema document, UTF-8 JSON.
const std::string& JsonSchema();

// A request of Command that the readers accept: every field with its
// default, or a sample value of its type, and "Secuencia" 1. JSON or XML
// (UTF-8, without declaration).
std::string ExampleRequest(const Argentina::RG3561::CommandDescription& Command, bool Xml);

// Writes the whole reference page; false at the first refused write.
bool WriteReferencePage(VXB::HTML::Writer& Html);

}  // namespace VXP::Reference

#endif  // VXP_COMMAND_REFERENCE_H_
