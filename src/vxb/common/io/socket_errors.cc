// The texts of socket errors, in the socket library's numbering. Both
// platform layers report these: Windows numbers its socket errors this way,
// and the posix layer translates its error numbers into this numbering
// first.
#include "vxb/common/io/network.h"

namespace VXB {

namespace {

struct ErrorTextRow {
  unsigned Number;
  const char* Text;
};
constexpr ErrorTextRow kErrorTexts[] = {
    {0, "No description."},
    {10004, "Interrupted system call"},
    {10009, "Bad File Number"},
    {10013, "Permission Denied"},
    {10014, "Bad Address"},
    {10022, "Invalid Argument"},
    {10024, "Too many Open Files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Protocol wrong type for socket"},
    {10042, "Protocol not available"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Can't assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection on reset"},
    {10053, "Software caused connection abort"},
    {10054, "Conection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references:can't splice"},
    {10060, "Connection timeout"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolics links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disk quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network subsystem is unusable"},
    {10092, "Winsock DLL can't support this application"},
    {10093, "Winsock is not initialized"},
    {10101, "Disconnect"},
    {11001, "Host not found"},
    {11002, "Non authoritative host not found"},
    {11003, "Non recoverable error"},
    {11004, "Valid name,no data record of requested type"},
};

}  // namespace

namespace Network {

const char* ErrorText(unsigned SocketErrorNumber) {
  for (const ErrorTextRow& row : kErrorTexts) {
    if (row.Number == SocketErrorNumber) return row.Text;
  }
  return "Error desconocido";
}

}  // namespace Network

}  // namespace VXB
