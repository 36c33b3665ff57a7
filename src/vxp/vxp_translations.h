// Fixed words of the answer documents: the names of the members that carry
// the error, the sequence number and the status, and the texts of the status
// conditions. The texts are in the internal character set and live for the
// whole program.
//
// Thread safety: constant data; any thread may call Get.
#ifndef VXP_VXP_TRANSLATIONS_H_
#define VXP_VXP_TRANSLATIONS_H_

namespace VXP::Translations {

using Key = unsigned;

inline constexpr Key NONE = 0;

namespace PROTOCOL {
inline constexpr Key BUSY_STATE = 1;
inline constexpr Key ERROR = 2;
inline constexpr Key ERROR_CONTEXT = 3;
inline constexpr Key ERROR_DESCRIPTION = 4;
inline constexpr Key ERROR_IDENTIFIER = 5;
inline constexpr Key FISCAL_STATUS_ARITHMETIC_ERROR = 6;
inline constexpr Key FISCAL_STATUS_COMMAND_REJECTED = 7;
inline constexpr Key FISCAL_STATUS_DOCUMENT_OPENED = 8;
inline constexpr Key FISCAL_STATUS_ELECTRONIC_JOURNAL_ERROR = 9;
inline constexpr Key FISCAL_STATUS_FISCAL_DOCUMENT_OPENED = 10;
inline constexpr Key FISCAL_STATUS_FISCAL_MEMORY_ERROR = 11;
inline constexpr Key FISCAL_STATUS_FISCAL_MEMORY_FULL = 12;
inline constexpr Key FISCAL_STATUS_FISCAL_MEMORY_INITIALIZED = 13;
inline constexpr Key FISCAL_STATUS_FISCAL_MEMORY_NEAR_FULL = 14;
inline constexpr Key FISCAL_STATUS_GENERAL_ERROR = 15;
inline constexpr Key FISCAL_STATUS_INVALID_STATE = 16;
inline constexpr Key FISCAL_STATUS_OK = 17;
inline constexpr Key FISCAL_STATUS_PARAMETER_ERROR = 18;
inline constexpr Key FISCAL_STATUS_WORKING_MEMORY_ERROR = 19;
inline constexpr Key PRINTER_STATUS_BUSY = 20;
inline constexpr Key PRINTER_STATUS_COVER_OPEN = 21;
inline constexpr Key PRINTER_STATUS_DRAWER_OPEN = 22;
inline constexpr Key PRINTER_STATUS_ERROR = 23;
inline constexpr Key PRINTER_STATUS_MECHANICAL_ERROR = 24;
inline constexpr Key PRINTER_STATUS_OFFLINE = 25;
inline constexpr Key PRINTER_STATUS_OK = 26;
inline constexpr Key PRINTER_STATUS_OUT_OF_PAPER_JOURNAL = 27;
inline constexpr Key PRINTER_STATUS_OUT_OF_PAPER_RECEIPT = 28;
inline constexpr Key QUERY_BUSY_STATE = 29;
inline constexpr Key SEQUENCE_NUMBER = 30;
inline constexpr Key STATUS = 31;
}  // namespace PROTOCOL

inline constexpr Key MAX_KEY = PROTOCOL::STATUS;

// The text of id; null for NONE and for any key above MAX_KEY.
const char* Get(Key id);

}  // namespace VXP::Translations

#endif  // VXP_VXP_TRANSLATIONS_H_
