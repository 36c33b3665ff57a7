// The USB serial gadget through the device installer (see gadget_tools.h).
#include "vxb/windows/gadget_tools.h"

#include <windows.h>
// The device installer's headers need windows.h before them.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>
#include <vector>

#include "vxb/common/runtime/system.h"

namespace VXB::GadgetTools {

namespace {

constexpr DWORD FIRST_BUFFER = 1024;
constexpr unsigned MAX_INSTANCE_ID = 200;

// A text property of a device; false when the device has none.
bool TextProperty(HDEVINFO Set, SP_DEVINFO_DATA& Device, DWORD Property, std::vector<char>& Out) {
  Out.assign(FIRST_BUFFER, '\0');
  DWORD type = 0;
  DWORD needed = 0;
  if (SetupDiGetDeviceRegistryPropertyA(Set, &Device, Property, &type,
                                        reinterpret_cast<BYTE*>(Out.data()),
                                        static_cast<DWORD>(Out.size()), &needed)) {
    Out.back() = '\0';
    return type == REG_SZ;
  }
  // Enlarged once to the size the system asks for, when it is a text.
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || type != REG_SZ || needed == 0 ||
      needed > 65536) {
    return false;
  }
  Out.assign(needed + 1, '\0');
  if (!SetupDiGetDeviceRegistryPropertyA(Set, &Device, Property, &type,
                                         reinterpret_cast<BYTE*>(Out.data()), needed, nullptr)) {
    return false;
  }
  Out.back() = '\0';
  return true;
}

bool Restart(HDEVINFO Set, SP_DEVINFO_DATA& Device) {
  SP_PROPCHANGE_PARAMS change{};
  change.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  change.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
  change.StateChange = DICS_PROPCHANGE;
  change.Scope = DICS_FLAG_CONFIGSPECIFIC;
  change.HwProfile = 0;  // the current hardware profile
  if (!SetupDiSetClassInstallParamsA(Set, &Device, &change.ClassInstallHeader, sizeof change) ||
      !SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, Set, &Device)) {
    return false;
  }
  SP_DEVINSTALL_PARAMS_A install{};
  install.cbSize = sizeof install;
  if (SetupDiGetDeviceInstallParamsA(Set, &Device, &install) &&
      (install.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0) {
    return false;
  }
  return true;
}

// Finds the gadget of Port among the present devices and, with Reset,
// restarts it.
bool FindGadgetDevices(unsigned Port, bool Reset) {
  if (Port == 0) return false;
  HDEVINFO set = SetupDiGetClassDevsExA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT,
                                        nullptr, nullptr, nullptr);
  if (set == INVALID_HANDLE_VALUE) return false;
  SP_DEVINFO_LIST_DETAIL_DATA_A detail{};
  detail.cbSize = sizeof detail;
  const bool have_detail = SetupDiGetDeviceInfoListDetailA(set, &detail) != FALSE;
  bool answer = false;
  std::vector<char> description;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    if (!TextProperty(set, device, SPDRP_FRIENDLYNAME, description) &&
        !TextProperty(set, device, SPDRP_DEVICEDESC, description)) {
      continue;
    }
    char id[MAX_INSTANCE_ID + 1] = "";
    if (!have_detail || CM_Get_Device_ID_ExA(device.DevInst, id, MAX_INSTANCE_ID, 0,
                                             detail.RemoteMachineHandle) != CR_SUCCESS) {
      continue;
    }
    id[MAX_INSTANCE_ID] = '\0';
    if (_strnicmp(id, GADGET_ID, std::strlen(GADGET_ID)) != 0) continue;
    if (PortOfDescription(description.data()) != Port) continue;
    answer = Reset ? Restart(set, device) : true;
    break;
  }
  SetupDiDestroyDeviceInfoList(set);
  return answer;
}

}  // namespace

unsigned PortOfDescription(const char* Description) {
  if (Description == nullptr) return 0;
  const char* open = std::strchr(Description, '(');
  if (open == nullptr) return 0;
  const char* close = std::strchr(open + 1, ')');
  if (close == nullptr) return 0;
  const char* m = open + 1;
  while (m < close && *m != 'M') ++m;
  if (m >= close) return 0;
  unsigned n = 0;
  unsigned digits = 0;
  for (const char* p = m + 1; p < close && *p >= '0' && *p <= '9' && digits < 6; ++p, ++digits) {
    n = n * 10 + static_cast<unsigned>(*p - '0');
  }
  return digits > 0 ? n : 0;
}

bool IsGadgetSerialPort(unsigned nPort) { return FindGadgetDevices(nPort, false); }

bool ResetGadgetSerialPort(unsigned nPort) {
  if (!FindGadgetDevices(nPort, true)) return false;
  System::Sleep(SETTLE_MILLISECONDS);
  return true;
}

}  // namespace VXB::GadgetTools
