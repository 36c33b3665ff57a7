// Recognising and restarting a USB serial gadget on Windows: a device that
// presents itself with USB vendor 0x0525 and product 0xA4A7 and appears as
// a COM port. Such a device sometimes stops answering and cannot be opened
// until the USB device is restarted.
//
// The device is found through the device installer (SetupAPI): among the
// present devices, the one whose instance ID begins with GADGET_ID and
// whose friendly name (or description) ends with "(COMn)" for the port
// asked about. A restart is a property-change request to the device
// installer, after which the device needs a moment to come back.
//
// All functions are safe to call from any thread. Private to the platform
// layer.
#ifndef VXB_WINDOWS_GADGET_TOOLS_H_
#define VXB_WINDOWS_GADGET_TOOLS_H_

namespace VXB::GadgetTools {

inline constexpr const char* GADGET_ID = "USB\\VID_0525&PID_A4A7";
// Wait after a successful restart, for the device to come back.
inline constexpr unsigned SETTLE_MILLISECONDS = 500;

// The port number named in a device description such as "Gadget Serial
// (COM7)": the number after the first 'M' between the first '(' and the
// ')' after it; 0 when there is none.
unsigned PortOfDescription(const char* Description);

// Port nPort is a USB serial gadget.
bool IsGadgetSerialPort(unsigned nPort);
// Restarts the USB serial gadget of port nPort; false when it is no gadget,
// the restart failed, or the system needs a reboot to finish it.
bool ResetGadgetSerialPort(unsigned nPort);

}  // namespace VXB::GadgetTools

#endif  // VXB_WINDOWS_GADGET_TOOLS_H_
