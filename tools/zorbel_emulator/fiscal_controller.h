// The fiscal side of the controller emulator: what a fiscal controller does
// with one RG3561 command, without any line or packet.
//
// FiscalController keeps a small fiscal state (fiscal day open or closed, the
// document in progress with its items, payments and running totals, the
// last number of every document type, the count of daily closures and the
// day's totals) and answers each command with the two status words and the
// command's answer fields in the catalogue's layout. The status words follow
// the state: "MemoriaFiscalInicializada" always, "DocumentoAbierto" and
// "DocumentoFiscalAbierto" while a document is open, and an error bit with
// "ErrorEjecucion" when a command is refused. A refused command changes
// nothing and its answer carries the status words only; the reason is kept
// for ConsultarUltimoError.
//
// Field texts are in the controller's character set (the internal one); the
// emulator only ever writes plain ASCII itself.
//
// Thread safety: none; one thread uses a controller at a time.
#ifndef TOOLS_ZORBEL_EMULATOR_FISCAL_CONTROLLER_H_
#define TOOLS_ZORBEL_EMULATOR_FISCAL_CONTROLLER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "vxb/common/base/types.h"

namespace ZorbelEmulator {

using FieldList = std::vector<std::string>;

// One answer: the status words and the fields that follow them.
struct Reply {
  std::uint16_t PrinterStatus = 0;
  std::uint16_t FiscalStatus = 0;
  FieldList Fields;
};

class FiscalController {
 public:
  // Closures the fiscal memory holds.
  static constexpr unsigned MAX_CLOSURES = 2000;
  // Items one document holds; one more is refused.
  static constexpr unsigned MAX_ITEMS = 4096;

  FiscalController() = default;

  // Executes one command and gives its answer.
  Reply Execute(VXB::Byte Command, const FieldList& Fields);

  // The status words as they stand now.
  std::uint16_t PrinterStatus() const;
  std::uint16_t FiscalStatus() const;

  // Whether the command makes the printer work (slow work and paper apply).
  static bool Prints(VXB::Byte Command);

  // The paper runs out (true) or is replaced; shown in the printer word.
  void SetPaperOut(bool Out) { paper_out_ = Out; }

  bool DayOpen() const { return day_open_; }
  bool DocumentOpen() const { return doc_open_; }
  unsigned Closures() const { return closures_; }
  // Commands executed (refused ones included).
  unsigned Executed() const { return executed_; }
  // Last number given to a document type; 0 when none yet.
  unsigned LastNumber(std::uint32_t Type) const;

 private:
  // The day's accumulated totals (in cents) and counts.
  struct DayTotals {
    std::int64_t DFTotal = 0, DFIva = 0, NCTotal = 0, NCIva = 0, DNFHTotal = 0;
    unsigned DFEmitted = 0, DFCancelled = 0, NCEmitted = 0, NCCancelled = 0, DNFHEmitted = 0;
  };

  // Refuses the command: the status words carry Bit (and ErrorEjecucion),
  // the reason is kept for ConsultarUltimoError.
  Reply Refuse(std::uint16_t Bit, const char* Symbol, const char* Description,
               unsigned Parameter = 0, const char* ParameterName = "");
  Reply Answer(FieldList Fields = {});

  Reply Dispatch(VXB::Byte Command, const FieldList& Fields);
  Reply OpenDocument(const FieldList& Fields);
  Reply AddItem(VXB::Byte Command, const FieldList& Fields);
  Reply CancelItem(const FieldList& Fields);
  Reply Subtotal();
  Reply Pay(const FieldList& Fields);
  Reply CloseDocument();
  Reply CancelDocument();
  Reply CloseDay(const FieldList& Fields);
  Reply Status(const FieldList& Fields);
  Reply Accumulators(VXB::Byte Command);
  // Every field of the command's answer layout with a plausible value.
  Reply Generic(VXB::Byte Command);

  // Field n of a request, or "" when it was not sent.
  static std::string_view Field(const FieldList& Fields, unsigned n);
  static std::string Money(std::int64_t Cents);
  unsigned InternalState() const;

  bool paper_out_ = false;
  bool day_open_ = false;
  bool doc_open_ = false;
  bool doc_fiscal_ = false;
  bool doc_credit_ = false;
  bool customer_loaded_ = false;
  bool barcode_loaded_ = false;
  bool last_cancelled_ = false;
  std::uint16_t error_bits_ = 0;
  std::uint32_t doc_type_ = 0;
  unsigned doc_number_ = 0;
  std::vector<std::int64_t> items_;  // item amounts in cents; 0 once voided
  std::int64_t doc_iva_ = 0;
  std::int64_t doc_paid_ = 0;
  std::map<std::uint32_t, unsigned> last_numbers_;
  DayTotals day_;
  unsigned closures_ = 0;
  unsigned x_reports_ = 0;
  unsigned executed_ = 0;
  bool accumulators_pending_ = false;
  std::string last_error_ = "NINGUNO";
  std::string last_error_text_ = "Sin error";
  std::string last_error_context_;
  std::string last_error_param_name_;
  unsigned last_error_param_ = 0;
};

}  // namespace ZorbelEmulator

#endif  // TOOLS_ZORBEL_EMULATOR_FISCAL_CONTROLLER_H_
