#include "zorbel_emulator/fiscal_controller.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/tool_support.h"
#include "vxb/common/base/datetime.h"
#include "vxb/common/runtime/system.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/argentina/code_table.h"
#include "vxp/argentina/enums_comandos_fiscales_rg3561.h"

namespace ZorbelEmulator {

namespace RG3561 = VXP::Argentina::RG3561;
using Fiscal = RG3561::Estado::Fiscal;
using Impresora = RG3561::Estado::Impresora;
using Aux = RG3561::Vardex_Funcs::EstadoAuxiliar;

namespace {

// Amounts in request fields: digits with an optional sign and a decimal
// point or comma. False for anything else.
bool ParseReal(std::string_view text, double& value) {
  std::string copy(text);
  for (char& c : copy) {
    if (c == ',') c = '.';
  }
  if (copy.empty()) return false;
  const char* begin = copy.data();
  if (*begin == '+') ++begin;
  const char* end = copy.data() + copy.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end && std::isfinite(value) && std::fabs(value) < 1e12;
}

std::int64_t ToCents(double amount) { return std::llround(amount * 100.0); }

bool ParseCode(const RG3561::CodeTable& table, std::string_view text, std::uint32_t& code) {
  const std::string copy(text);
  return RG3561::CodeFromString(table, copy.c_str(), code);
}

// Credit notes accumulate apart from the other fiscal documents.
bool IsCreditNote(std::uint32_t type) {
  using T = RG3561::AFIP::TiposComprobante;
  switch (static_cast<T>(type)) {
    case T::NOTA_DE_CREDITO_A:
    case T::NOTA_DE_CREDITO_B:
    case T::NOTA_DE_CREDITO_C:
    case T::NOTA_DE_CREDITO_M:
    case T::TIQUE_NOTA_CREDITO:
    case T::TIQUE_NOTA_CREDITO_A:
    case T::TIQUE_NOTA_CREDITO_B:
    case T::TIQUE_NOTA_CREDITO_C:
    case T::TIQUE_NOTA_CREDITO_M:
      return true;
    default:
      return false;
  }
}

// Fiscal documents (invoices, debit and credit notes, receipts and tickets)
// against the non-fiscal homologated ones (codes from 900, delivery notes,
// the closure report).
bool IsFiscalDocument(std::uint32_t type) {
  using T = RG3561::AFIP::TiposComprobante;
  return type != 0 && type < 900 && type != static_cast<std::uint32_t>(T::REMITO_R) &&
         type != static_cast<std::uint32_t>(T::INFORME_DIARIO_DE_CIERRE);
}

std::string Number(unsigned n) { return std::to_string(n); }

std::string Today() {
  VXB::Types::Date d;
  VXB::Types::Time t;
  VXB::System::GetDateTime(d, t);
  char buf[16];
  d.ToString(buf, sizeof buf, VXB::Types::Date::YYMMDD);
  return buf;
}

std::string Now() {
  VXB::Types::Date d;
  VXB::Types::Time t;
  VXB::System::GetDateTime(d, t);
  char buf[16];
  t.ToString(buf, sizeof buf, VXB::Types::Time::HHMMSS);
  return buf;
}

// A plausible value of a field that the state does not decide.
std::string Placeholder(const RG3561::FieldDescription& f) {
  switch (f.Type) {
    case VXP::INTEGER:
      return "0";
    case VXP::REAL:
      return "0.00";
    case VXP::DATE:
      return Today();
    case VXP::TIME:
      return Now();
    case VXP::LONGDATE: {
      VXB::Types::Date d;
      VXB::Types::Time t;
      VXB::System::GetDateTime(d, t);
      char buf[16];
      d.ToString(buf, sizeof buf, VXB::Types::Date::YYYYMMDD);
      return buf;
    }
    case VXP::ENUM:
      if (f.Table.Codes != nullptr && !f.Table.Codes->Codes.empty())
        return f.Table.Codes->Codes.front().Text;
      return "";
    case VXP::BITFIELD:
      return f.Table.Bits != nullptr && f.Table.Bits->NumberOfBits == 8 ? "00" : "0000";
    default:
      return "";
  }
}

}  // namespace

std::string_view FiscalController::Field(const FieldList& Fields, unsigned n) {
  return n < Fields.size() ? std::string_view(Fields[n]) : std::string_view();
}

std::string FiscalController::Money(std::int64_t Cents) {
  const bool negative = Cents < 0;
  const std::uint64_t v = negative ? static_cast<std::uint64_t>(-Cents) : Cents;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%llu.%02llu", negative ? "-" : "",
                static_cast<unsigned long long>(v / 100), static_cast<unsigned long long>(v % 100));
  return buf;
}

unsigned FiscalController::LastNumber(std::uint32_t Type) const {
  const auto it = last_numbers_.find(Type);
  return it == last_numbers_.end() ? 0 : it->second;
}

bool FiscalController::Prints(VXB::Byte Command) {
  switch (Command) {
    case RG3561::CMD_CERRAR_JORNADA_FISCAL:
    case RG3561::CMD_REPORTAR_ZETAS_POR_FECHA:
    case RG3561::CMD_REPORTAR_ZETAS_POR_NUMERO_ZETA:
    case RG3561::CMD_ABRIR_DOCUMENTO:
    case RG3561::CMD_IMPRIMIR_TEXTO_FISCAL:
    case RG3561::CMD_IMPRIMIR_ITEM:
    case RG3561::CMD_IMPRIMIR_PAGO:
    case RG3561::CMD_CERRAR_DOCUMENTO:
    case RG3561::CMD_IMPRIMIR_TEXTO_PRUEBA_PERIFERICOS:
    case RG3561::CMD_IMPRIMIR_TEXTO_GENERICO:
    case RG3561::CMD_AVANZAR_PAPEL_ESTACION_TIQUE:
    case RG3561::CMD_AVANZAR_PAPEL_ESTACION_AUDITORIA:
    case RG3561::CMD_AVANZAR_PAPEL_AMBAS_ESTACIONES:
    case RG3561::CMD_ANULAR_ITEM:
    case RG3561::CMD_IMPRIMIR_AJUSTE:
    case RG3561::CMD_IMPRIMIR_DESCUENTO_ITEM:
    case RG3561::CMD_IMPRIMIR_OTROS_TRIBUTOS:
    case RG3561::CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES:
    case RG3561::CMD_IMPRIMIR_CONCEPTO_RECIBO:
    case RG3561::CMD_CANCELAR:
    case RG3561::CMD_PEDIR_REIMPRESION:
      return true;
    default:
      return false;
  }
}

std::uint16_t FiscalController::PrinterStatus() const {
  Impresora w;
  if (paper_out_) {
    w.Set(Impresora::BIT_FALTA_PAPEL_RECEIPT, true);
    w.Set(Impresora::BIT_OR_LOGICO, true);
  }
  return w.ToInteger();
}

std::uint16_t FiscalController::FiscalStatus() const {
  Fiscal w(error_bits_);
  w.Set(Fiscal::BIT_MEMORIA_FISCAL_INICIALIZADA, true);
  w.Set(Fiscal::BIT_MEMORIA_FISCAL_CASI_LLENA, closures_ + 50 >= MAX_CLOSURES);
  w.Set(Fiscal::BIT_MEMORIA_FISCAL_LLENA, closures_ >= MAX_CLOSURES);
  w.Set(Fiscal::BIT_DOCUMENTO_ABIERTO, doc_open_);
  w.Set(Fiscal::BIT_DOCUMENTO_FISCAL_ABIERTO, doc_open_ && doc_fiscal_);
  return w.ToInteger();
}

Reply FiscalController::Answer(FieldList Fields) {
  Reply r;
  r.PrinterStatus = PrinterStatus();
  r.FiscalStatus = FiscalStatus();
  r.Fields = std::move(Fields);
  return r;
}

Reply FiscalController::Refuse(std::uint16_t Bit, const char* Symbol, const char* Description,
                               unsigned Parameter, const char* ParameterName) {
  last_error_ = Symbol;
  last_error_text_ = Description;
  last_error_context_ = ParameterName[0] != '\0' ? "Campo inv\xA0lido" : "";
  last_error_param_ = Parameter;
  last_error_param_name_ = ParameterName;
  Fiscal w(Bit);
  w.Set(Fiscal::BIT_ERROR_EJECUCION, true);
  error_bits_ = w.ToInteger();
  Reply r = Answer();
  error_bits_ = 0;
  return r;
}

Reply FiscalController::Execute(VXB::Byte Command, const FieldList& Fields) {
  ++executed_;
  return Dispatch(Command, Fields);
}

Reply FiscalController::Dispatch(VXB::Byte Command, const FieldList& Fields) {
  const Fiscal::Integer state = Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO);
  switch (Command) {
    case RG3561::CMD_CONSULTAR_ESTADO:
      return Status(Fields);
    case RG3561::CMD_ABRIR_DOCUMENTO:
      return OpenDocument(Fields);
    case RG3561::CMD_IMPRIMIR_ITEM:
    case RG3561::CMD_IMPRIMIR_DESCUENTO_ITEM:
    case RG3561::CMD_IMPRIMIR_AJUSTE:
    case RG3561::CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES:
      return AddItem(Command, Fields);
    case RG3561::CMD_ANULAR_ITEM:
      return CancelItem(Fields);
    case RG3561::CMD_CONSULTAR_SUBTOTAL:
      return Subtotal();
    case RG3561::CMD_IMPRIMIR_PAGO:
      return Pay(Fields);
    case RG3561::CMD_CERRAR_DOCUMENTO:
      return CloseDocument();
    case RG3561::CMD_CANCELAR:
      return CancelDocument();
    case RG3561::CMD_CERRAR_JORNADA_FISCAL:
      return CloseDay(Fields);
    case RG3561::CMD_IMPRIMIR_TEXTO_FISCAL:
    case RG3561::CMD_IMPRIMIR_OTROS_TRIBUTOS:
      if (!doc_open_ || !doc_fiscal_)
        return Refuse(state, "ERROR_ESTADO", "No hay documento fiscal abierto");
      return Answer();
    case RG3561::CMD_IMPRIMIR_TEXTO_GENERICO:
    case RG3561::CMD_IMPRIMIR_CONCEPTO_RECIBO:
      if (!doc_open_) return Refuse(state, "ERROR_ESTADO", "No hay documento abierto");
      return Answer();
    case RG3561::CMD_CARGAR_DATOS_CLIENTE:
      if (doc_open_) return Refuse(state, "ERROR_ESTADO", "Documento abierto");
      customer_loaded_ = true;
      return Answer();
    case RG3561::CMD_CARGAR_CODIGO_BARRAS:
      barcode_loaded_ = true;
      return Answer();
    case RG3561::CMD_CONFIGURAR_FECHA_HORA:
    case RG3561::CMD_CAMBIAR_CATEGORIA_IVA:
    case RG3561::CMD_CAMBIAR_INSCRIP_IIBB:
    case RG3561::CMD_CAMBIAR_FECHA_INICIO_ACTIVIDADES:
      if (day_open_) return Refuse(state, "ERROR_ESTADO", "Jornada fiscal abierta");
      return Answer();
    case RG3561::CMD_CONSULTAR_ULTIMO_ERROR:
      return Answer({last_error_, Number(last_error_param_), last_error_text_, last_error_context_,
                     last_error_param_name_});
    case RG3561::CMD_CONSULTAR_CAPACIDAD_ZETAS:
      return Answer({Number(MAX_CLOSURES - closures_), Number(closures_), Number(closures_),
                     Number(closures_)});
    case RG3561::CMD_CONSULTAR_FECHA_HORA:
      return Answer({Today(), Now()});
    case RG3561::CMD_CONSULTAR_VERSION:
      return Answer({"1.00", "Zorbel", "Emulador de controlador fiscal", "1.0", "20240101", "2"});
    case RG3561::CMD_CONSULTAR_ACUMULADOS_CIERRE_ZETA:
    case RG3561::CMD_CONSULTAR_ACUMULADOS_MEMORIA_DE_TRABAJO:
    case RG3561::CMD_CONSULTAR_ACUMULADOS_COMPROBANTE:
    case RG3561::CMD_CONTINUAR_CONSULTA_ACUMULADOS:
      return Accumulators(Command);
    default:
      break;
  }
  if (RG3561::FindCommand(static_cast<RG3561::Comandos>(Command)) == nullptr)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_GENERAL), "COMANDO_INVALIDO",
                  "Comando desconocido");
  return Generic(Command);
}

unsigned FiscalController::InternalState() const {
  using E = RG3561::Vardex_Funcs::EstadosFiscales;
  E e = E::EN_JORNADA_FISCAL;
  if (!day_open_) {
    e = E::INICIO_JORNADA_FISCAL;
  } else if (doc_open_ && !doc_fiscal_) {
    e = E::IMPRIMIENDO_TEXTO_NO_FISCAL;
  } else if (doc_open_) {
    e = doc_paid_ != 0 ? E::PAGANDO : E::VENDIENDO_ITEMS;
  }
  return static_cast<unsigned>(e);
}

Reply FiscalController::Status(const FieldList& Fields) {
  std::uint32_t asked = 0;
  if (!Field(Fields, 0).empty() &&
      !ParseCode(RG3561::AFIP::TiposComprobanteTable, Field(Fields, 0), asked))
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_PARAMETRO), "ERROR_PARAMETRO",
                  "C\xA2"
                  "digo de comprobante inv\xA0lido",
                  1, "CodigoComprobante");
  Aux aux;
  aux.Set(Aux::BIT_DATOS_CLIENTE_ALMACENADOS, customer_loaded_);
  aux.Set(Aux::BIT_CODIGO_BARRAS_ALMACENADO, barcode_loaded_);
  aux.Set(Aux::BIT_ULTIMO_COMPROBANTE_FUE_CANCELADO, last_cancelled_);
  const std::uint32_t last_type = asked != 0 ? asked : doc_type_;
  return Answer({aux.ToString(false), Number(InternalState()), Number(doc_open_ ? doc_type_ : 0),
                 Number(asked), Number(LastNumber(last_type)),
                 Number(day_.DFEmitted + day_.NCEmitted + day_.DNFHEmitted),
                 Number(day_.DFCancelled + day_.NCCancelled)});
}

Reply FiscalController::OpenDocument(const FieldList& Fields) {
  std::uint32_t type = 0;
  if (!ParseCode(RG3561::AFIP::TiposComprobanteTable, Field(Fields, 0), type) || type == 0)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_PARAMETRO), "ERROR_PARAMETRO",
                  "C\xA2"
                  "digo de comprobante inv\xA0lido",
                  1, "CodigoComprobante");
  if (doc_open_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO", "Documento abierto");
  if (closures_ >= MAX_CLOSURES)
    return Refuse(Fiscal::Bit(Fiscal::BIT_MEMORIA_FISCAL_LLENA), "MEMORIA_FISCAL_LLENA",
                  "Memoria fiscal llena");
  day_open_ = true;
  doc_open_ = true;
  doc_type_ = type;
  doc_fiscal_ = IsFiscalDocument(type);
  doc_credit_ = doc_fiscal_ && IsCreditNote(type);
  doc_number_ = LastNumber(type) + 1;
  items_.clear();
  doc_iva_ = doc_paid_ = 0;
  last_cancelled_ = false;
  return Answer({Number(doc_number_)});
}

Reply FiscalController::AddItem(VXB::Byte Command, const FieldList& Fields) {
  if (!doc_open_ || !doc_fiscal_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO",
                  "No hay documento fiscal abierto");
  if (doc_paid_ != 0)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO", "Pago en curso");
  if (items_.size() >= MAX_ITEMS)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_GENERAL), "ERROR_GENERAL",
                  "Demasiados \xA1tems en el documento");
  const Fiscal::Integer param = Fiscal::Bit(Fiscal::BIT_ERROR_PARAMETRO);
  std::int64_t amount = 0;
  double rate = 0;
  if (Command == RG3561::CMD_IMPRIMIR_ITEM) {
    double quantity = 0, price = 0;
    if (!ParseReal(Field(Fields, 1), quantity))
      return Refuse(param, "ERROR_PARAMETRO", "Cantidad inv\xA0lida", 2, "Cantidad");
    if (!ParseReal(Field(Fields, 2), price))
      return Refuse(param, "ERROR_PARAMETRO", "Precio inv\xA0lido", 3, "PrecioUnitario");
    if (!Field(Fields, 4).empty() && !ParseReal(Field(Fields, 4), rate))
      return Refuse(param, "ERROR_PARAMETRO",
                    "Al\xA1"
                    "cuota inv\xA0lida",
                    5, "AlicuotaIVA");
    amount = ToCents(quantity * price);
    if (Field(Fields, 5) == "m") amount = -amount;
  } else {
    double value = 0;
    if (!ParseReal(Field(Fields, 1), value))
      return Refuse(param, "ERROR_PARAMETRO", "Monto inv\xA0lido", 2, "Monto");
    amount = ToCents(value);
    // Discounts and negative adjustments lower the total.
    const std::string_view op = Field(Fields, Command == RG3561::CMD_IMPRIMIR_AJUSTE ? 5 : 9);
    if (Command == RG3561::CMD_IMPRIMIR_DESCUENTO_ITEM || op == "B" || op == "D") amount = -amount;
    if (Command == RG3561::CMD_IMPRIMIR_ANTICIPO_BONIFICACION_ENVASES &&
        !Field(Fields, 3).empty() && !ParseReal(Field(Fields, 3), rate))
      return Refuse(param, "ERROR_PARAMETRO",
                    "Al\xA1"
                    "cuota inv\xA0lida",
                    4, "AlicuotaIVA");
  }
  items_.push_back(amount);
  if (rate > 0) doc_iva_ += std::llround(static_cast<double>(amount) * rate / (100.0 + rate));
  FieldList out{Number(static_cast<unsigned>(items_.size()))};
  if (Command == RG3561::CMD_IMPRIMIR_AJUSTE) out.push_back("1");
  return Answer(std::move(out));
}

Reply FiscalController::CancelItem(const FieldList& Fields) {
  if (!doc_open_ || !doc_fiscal_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO",
                  "No hay documento fiscal abierto");
  unsigned index = 0;
  if (!ZorbelTools::ParseUnsigned(Field(Fields, 0), index) || index == 0 || index > items_.size() ||
      items_[index - 1] == 0)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_PARAMETRO), "ERROR_PARAMETRO",
                  "\xD6ndice de auditor\xA1"
                  "a inv\xA0lido",
                  1, "IndiceAuditoria");
  items_[index - 1] = 0;
  return Answer({Number(index)});
}

Reply FiscalController::Subtotal() {
  if (!doc_open_ || !doc_fiscal_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO",
                  "No hay documento fiscal abierto");
  std::int64_t total = 0;
  unsigned count = 0;
  for (std::int64_t a : items_) {
    total += a;
    if (a != 0) ++count;
  }
  return Answer({Number(count) + ".00", Money(total), Money(doc_iva_), Money(doc_paid_), "0.00",
                 "0.00", Money(total - doc_iva_), "0.00"});
}

Reply FiscalController::Pay(const FieldList& Fields) {
  if (!doc_open_ || !doc_fiscal_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO",
                  "No hay documento fiscal abierto");
  double value = 0;
  if (!ParseReal(Field(Fields, 1), value) || value < 0)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_PARAMETRO), "ERROR_PARAMETRO", "Monto inv\xA0lido",
                  2, "Monto");
  // "R" takes a payment back.
  doc_paid_ += Field(Fields, 2) == "R" ? -ToCents(value) : ToCents(value);
  std::int64_t total = 0;
  for (std::int64_t a : items_) total += a;
  return Answer({Money(total > doc_paid_ ? total - doc_paid_ : 0)});
}

Reply FiscalController::CloseDocument() {
  if (!doc_open_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO",
                  "No hay documento abierto");
  std::int64_t total = 0;
  for (std::int64_t a : items_) total += a;
  if (!doc_fiscal_) {
    day_.DNFHTotal += total;
    ++day_.DNFHEmitted;
  } else if (doc_credit_) {
    day_.NCTotal += total;
    day_.NCIva += doc_iva_;
    ++day_.NCEmitted;
  } else {
    day_.DFTotal += total;
    day_.DFIva += doc_iva_;
    ++day_.DFEmitted;
  }
  last_numbers_[doc_type_] = doc_number_;
  doc_open_ = false;
  customer_loaded_ = barcode_loaded_ = false;
  return Answer({Number(doc_number_), "1"});
}

Reply FiscalController::CancelDocument() {
  // Nothing to cancel is no fault: the point of sale sends this blindly.
  if (!doc_open_) return Answer();
  if (doc_fiscal_) ++(doc_credit_ ? day_.NCCancelled : day_.DFCancelled);
  last_numbers_[doc_type_] = doc_number_;
  doc_open_ = false;
  customer_loaded_ = barcode_loaded_ = false;
  last_cancelled_ = true;
  return Answer();
}

Reply FiscalController::CloseDay(const FieldList& Fields) {
  std::uint32_t kind = 0;
  if (!ParseCode(RG3561::Vardex_Funcs::TipoReporteTable, Field(Fields, 0), kind))
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_PARAMETRO), "ERROR_PARAMETRO",
                  "Tipo de reporte inv\xA0lido", 1, "Reporte");
  if (doc_open_)
    return Refuse(Fiscal::Bit(Fiscal::BIT_ERROR_ESTADO), "ERROR_ESTADO", "Documento abierto");
  const DayTotals& d = day_;
  if (kind == static_cast<std::uint32_t>(RG3561::Vardex_Funcs::TipoReporte::REPORTE_X)) {
    ++x_reports_;
    return Answer({"X", Number(x_reports_), Today(), Now(), Today(), Now(), Money(d.DFTotal),
                   Money(d.DFIva), "0.00", Number(d.DFEmitted), Money(d.NCTotal), Money(d.NCIva),
                   "0.00", Number(d.NCEmitted), Number(d.DNFHEmitted)});
  }
  if (closures_ >= MAX_CLOSURES)
    return Refuse(Fiscal::Bit(Fiscal::BIT_MEMORIA_FISCAL_LLENA), "MEMORIA_FISCAL_LLENA",
                  "Memoria fiscal llena");
  ++closures_;
  Reply r = Answer({"Z",
                    Number(closures_),
                    Today(),
                    Money(d.DFTotal),
                    Money(d.DFTotal - d.DFIva),
                    "0.00",
                    "0.00",
                    Money(d.DFIva),
                    "0.00",
                    Number(d.DFEmitted),
                    Number(d.DFCancelled),
                    Money(d.NCTotal),
                    Money(d.NCTotal - d.NCIva),
                    "0.00",
                    "0.00",
                    Money(d.NCIva),
                    "0.00",
                    Number(d.NCEmitted),
                    Number(d.NCCancelled),
                    Money(d.DNFHTotal),
                    Number(d.DNFHEmitted)});
  day_ = DayTotals();
  day_open_ = false;
  r.FiscalStatus = FiscalStatus();
  return r;
}

Reply FiscalController::Accumulators(VXB::Byte Command) {
  // One global record, then the final record.
  if (Command == RG3561::CMD_CONTINUAR_CONSULTA_ACUMULADOS) {
    if (!accumulators_pending_) return Answer({"0"});
    accumulators_pending_ = false;
    return Answer({"0"});
  }
  accumulators_pending_ = true;
  const DayTotals& d = day_;
  return Answer({"4", Number(d.DFCancelled), Number(d.DFEmitted), Money(d.DFTotal), "0.00", "0.00",
                 Money(d.DFTotal - d.DFIva), Money(d.DFIva), "0.00", Money(d.DNFHTotal)});
}

Reply FiscalController::Generic(VXB::Byte Command) {
  const RG3561::CommandDescription* c = RG3561::FindCommand(static_cast<RG3561::Comandos>(Command));
  FieldList out;
  if (c != nullptr && c->Answer.HasFields()) {
    // A block download ends at once: its first answer is the final block.
    const char* field0 = c->Answer.ByContent() ? "0" : nullptr;
    for (const RG3561::FieldDescription& f : RG3561::AnswerLayoutFor(c->Answer, field0))
      out.push_back(Placeholder(f));
  }
  return Answer(std::move(out));
}

}  // namespace ZorbelEmulator
