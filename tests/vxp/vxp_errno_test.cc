// The application library's error codes, debug modules and answer words are
// part of the external interface: numbers, symbols and texts are checked
// one by one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "vxb/common/runtime/debug.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_debug_modules.h"
#include "vxp/vxp_errno.h"
#include "vxp/vxp_translations.h"

namespace {

struct ExpectedError {
  VXB::Error::ErrNo Number;
  VXB::Error::Modules Module;
  VXB::Error::ErrNo Constant;
  const char* Symbol;
  const char* Description;  // internal character set
};

const ExpectedError kErrors[] = {
    {20000, 200, VXP::Error::PROTOCOL_NO_TRANSPORT, "PROTOCOL_NO_TRANSPORT",
     "No hay transporte definido"},
    {20001, 200, VXP::Error::PROTOCOL_SIZE, "PROTOCOL_SIZE", "Error en tama\xA4o de paquete"},
    {20002, 200, VXP::Error::PROTOCOL_ABORTED, "PROTOCOL_ABORTED", "Operaci\xA2n abortada"},
    {20003, 200, VXP::Error::PROTOCOL_COMM_ANOMALY, "PROTOCOL_COMM_ANOMALY",
     "Anomal\xA1"
     "a de comunicaciones"},
    {20004, 200, VXP::Error::PROTOCOL_WRONG_PROTOCOL, "PROTOCOL_WRONG_PROTOCOL",
     "Protocolo equivocado"},
    {20005, 200, VXP::Error::PROTOCOL_INVALID_PACKET, "PROTOCOL_INVALID_PACKET",
     "Tama\xA4o de paquete inv\xA0lido"},
    {20006, 200, VXP::Error::PROTOCOL_MAX_RETRIES, "PROTOCOL_MAX_RETRIES",
     "M\xA0xima cantidad de reintentos agotada"},
    {20007, 200, VXP::Error::PROTOCOL_COMMAND_REJECTED, "PROTOCOL_COMMAND_REJECTED",
     "Comando rechazado"},
    {20016, 200, VXP::Error::PROTOCOL_RESOURCE_NOT_FOUND, "PROTOCOL_RESOURCE_NOT_FOUND",
     "Recurso no encontrado"},
    {20017, 200, VXP::Error::PROTOCOL_PACKET_REJECTED, "PROTOCOL_PACKET_REJECTED",
     "Paquete rechazado"},
    {20018, 200, VXP::Error::PROTOCOL_SYNTAX_ERROR, "PROTOCOL_SYNTAX_ERROR", "Error de sintaxis"},
    {20019, 200, VXP::Error::PROTOCOL_INVALID_ENCODING, "PROTOCOL_INVALID_ENCODING",
     "Codificaci\xA2n de caracteres inv\xA0lida"},
    {20020, 200, VXP::Error::PROTOCOL_UNKNOWN_COMMAND, "PROTOCOL_UNKNOWN_COMMAND",
     "Comando desconocido"},
    {20021, 200, VXP::Error::PROTOCOL_CHECKSUM_MISMATCH, "PROTOCOL_CHECKSUM_MISMATCH",
     "Error de suma de comprobaci\xA2n"},
    {20022, 200, VXP::Error::PROTOCOL_INVALID_SEQUENCE, "PROTOCOL_INVALID_SEQUENCE",
     "Secuencia fuera de rango"},
    {20023, 200, VXP::Error::PROTOCOL_SEQUENCE_MISMATCH, "PROTOCOL_SEQUENCE_MISMATCH",
     "Error en n\xA3mero de secuencia"},
    {20024, 200, VXP::Error::PROTOCOL_INVALID_CONTENT_TYPE, "PROTOCOL_INVALID_CONTENT_TYPE",
     "Tipo de contenido inv\xA0lido"},
    {20250, 201, VXP::Error::INTERFACE_COMMAND_REJECTED, "INTERFACE_COMMAND_REJECTED",
     "Comando rechazado"},
    {20251, 201, VXP::Error::INTERFACE_UNKNOWN_PROTOCOL, "INTERFACE_UNKNOWN_PROTOCOL",
     "Protocolo desconocido"},
    {20254, 201, VXP::Error::INTERFACE_SYNTAX_ERROR, "INTERFACE_SYNTAX_ERROR", "Error de sintaxis"},
    {20255, 201, VXP::Error::INTERFACE_UNRECOGNIZED_COMMAND, "INTERFACE_UNRECOGNIZED_COMMAND",
     "Comando no reconocido"},
    {20256, 201, VXP::Error::INTERFACE_UNRECOGNIZED_FIELD, "INTERFACE_UNRECOGNIZED_FIELD",
     "Campo no reconocido"},
    {20257, 201, VXP::Error::INTERFACE_MISSING_FIELD, "INTERFACE_MISSING_FIELD",
     "Campo inexistente"},
    {20258, 201, VXP::Error::INTERFACE_INVALID_STATE, "INTERFACE_INVALID_STATE",
     "Estado inv\xA0lido"},
    {20259, 201, VXP::Error::INTERFACE_COMMAND_ABORTED, "INTERFACE_COMMAND_ABORTED",
     "Comando cancelado por el usuario"},
    {20500, 202, VXP::Error::COUPON_PRINTER_INVALID_IMAGE_FILE, "COUPON_PRINTER_INVALID_IMAGE_FILE",
     "Formato de imagen inv\xA0lido"},
    {20501, 202, VXP::Error::COUPON_PRINTER_INVALID_IMAGE_SIZE, "COUPON_PRINTER_INVALID_IMAGE_SIZE",
     "Tama\xA4o de imagen inv\xA0lido"},
};

void InitBoth() {
  VXB::Error::Init();
  VXP::Error::Init();
}

TEST(VxpErrno, ModuleNumbers) {
  EXPECT_EQ(VXP::Error::PROTOCOL, 200u);
  EXPECT_EQ(VXP::Error::INTERFACE, 201u);
  EXPECT_EQ(VXP::Error::COUPON_PRINTER, 202u);
}

TEST(VxpErrno, EveryCodeHasItsNumberSymbolAndDescription) {
  InitBoth();
  ASSERT_EQ(std::size(kErrors), 27u);
  for (const ExpectedError& e : kErrors) {
    SCOPED_TRACE(e.Symbol);
    EXPECT_EQ(e.Constant, e.Number);
    EXPECT_STREQ(VXB::Error::ToID(e.Number), e.Symbol);
    EXPECT_STREQ(VXB::Error::ToString(e.Number), e.Description);
    VXB::Error::ErrNo found = 0;
    ASSERT_TRUE(VXB::Error::FromID(e.Symbol, found));
    EXPECT_EQ(found, e.Number);
    EXPECT_TRUE(VXB::Error::IsErrNoInModule(e.Number, e.Module));
    const VXB::Error::Modules* module = VXB::Error::GetAllErrors().find(e.Number);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(*module, e.Module);
    EXPECT_STREQ(VXB::Error::GetApplicationByErrNo(e.Number), "VXP");
  }
}

TEST(VxpErrno, GapsAreNotRegistered) {
  InitBoth();
  for (VXB::Error::ErrNo n : {20008u, 20009u, 20010u, 20011u, 20012u, 20013u, 20014u, 20015u,
                              20025u, 20252u, 20253u, 20260u, 20502u}) {
    SCOPED_TRACE(n);
    EXPECT_STREQ(VXB::Error::ToString(n), "unknown");
    EXPECT_STREQ(VXB::Error::ToID(n), "unknown");
  }
}

TEST(VxpErrno, ApplicationIsUnknownBeforeRegistration) {
  // Checked in a freshly started copy of this program, whose registry is
  // still empty whatever other tests of this process registered.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        bool before = std::strcmp(VXB::Error::GetApplicationByErrNo(20022), "Unknown") == 0;
        InitBoth();
        bool after = std::strcmp(VXB::Error::GetApplicationByErrNo(20022), "VXP") == 0 &&
                     std::strcmp(VXB::Error::GetApplicationByErrNo(250), "VXB") == 0;
        std::exit(before && after ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(VxpErrno, SettingMaxRetriesCarriesItsMessage) {
  InitBoth();
  EXPECT_FALSE(VXB::Error::SetWithContext(VXP::Error::PROTOCOL_MAX_RETRIES, "cmd %d", 42));
  const VXB::Error::ErrInfo* info = VXB::Error::GetLastError();
  EXPECT_EQ(info->Error, 20006u);
  EXPECT_STREQ(info->Description, "M\xA0xima cantidad de reintentos agotada");
  EXPECT_STREQ(info->Context, "cmd 42");
  EXPECT_STREQ(VXB::Error::ToID(info->Error), "PROTOCOL_MAX_RETRIES");
}

TEST(VxpErrno, SharedDescriptionsKeepNumbersApart) {
  InitBoth();
  EXPECT_STREQ(VXB::Error::ToString(20007), VXB::Error::ToString(20250));
  EXPECT_STREQ(VXB::Error::ToID(20007), "PROTOCOL_COMMAND_REJECTED");
  EXPECT_STREQ(VXB::Error::ToID(20250), "INTERFACE_COMMAND_REJECTED");
  EXPECT_STREQ(VXB::Error::ToID(20018), "PROTOCOL_SYNTAX_ERROR");
  EXPECT_STREQ(VXB::Error::ToID(20254), "INTERFACE_SYNTAX_ERROR");
  EXPECT_FALSE(VXB::Error::IsErrNoInModule(20250, VXP::Error::PROTOCOL));
}

TEST(VxpErrno, InitTwiceChangesNothing) {
  InitBoth();
  const auto before = VXB::Error::GetAllErrors().size();
  VXP::Error::Init();
  EXPECT_EQ(VXB::Error::GetAllErrors().size(), before);
  for (const ExpectedError& e : kErrors) {
    EXPECT_STREQ(VXB::Error::ToID(e.Number), e.Symbol);
  }
}

TEST(VxpDebugModules, RegistersProtocolAndZorbel) {
  VXP::Debug::Init();
  EXPECT_EQ(VXP::Debug::PROTOCOL, 200u);
  EXPECT_EQ(VXP::Debug::ZORBEL, 201u);
  EXPECT_STREQ(VXB::Debug::ToString(200), "PROTOCOL");
  EXPECT_STREQ(VXB::Debug::GetDescription(200), "Protocolo de comunicaciones");
  EXPECT_STREQ(VXB::Debug::ToString(201), "ZORBEL");
  EXPECT_STREQ(VXB::Debug::GetDescription(201), "Proxy HTTP");
  VXB::Debug::Modules m = 0;
  ASSERT_TRUE(VXB::Debug::FromString("ZORBEL", m));
  EXPECT_EQ(m, 201u);
}

struct ExpectedWord {
  VXP::Translations::Key Key;
  VXP::Translations::Key Constant;
  const char* Text;
};

TEST(VxpTranslations, EveryKeyGivesItsText) {
  namespace P = VXP::Translations::PROTOCOL;
  const ExpectedWord words[] = {
      {1, P::BUSY_STATE, "ControladorOcupado"},
      {2, P::ERROR, "Error"},
      {3, P::ERROR_CONTEXT, "Contexto"},
      {4, P::ERROR_DESCRIPTION, "Descripcion"},
      {5, P::ERROR_IDENTIFIER, "Identificador"},
      {6, P::FISCAL_STATUS_ARITHMETIC_ERROR, "Error aritm\x82tico"},
      {7, P::FISCAL_STATUS_COMMAND_REJECTED, "Comando rechazado"},
      {8, P::FISCAL_STATUS_DOCUMENT_OPENED, "Comprobante abierto"},
      {9, P::FISCAL_STATUS_ELECTRONIC_JOURNAL_ERROR,
       "Error de memoria de auditor\xA1"
       "a"},
      {10, P::FISCAL_STATUS_FISCAL_DOCUMENT_OPENED, "Comprobante fiscal abierto"},
      {11, P::FISCAL_STATUS_FISCAL_MEMORY_ERROR, "Error de memoria fiscal"},
      {12, P::FISCAL_STATUS_FISCAL_MEMORY_FULL, "Memoria fiscal llena"},
      {13, P::FISCAL_STATUS_FISCAL_MEMORY_INITIALIZED, "Memoria fiscal inicializada"},
      {14, P::FISCAL_STATUS_FISCAL_MEMORY_NEAR_FULL, "Memoria fiscal por llenarse"},
      {15, P::FISCAL_STATUS_GENERAL_ERROR, "Error general"},
      {16, P::FISCAL_STATUS_INVALID_STATE, "Estado inv\xA0lido"},
      {17, P::FISCAL_STATUS_OK, "OK"},
      {18, P::FISCAL_STATUS_PARAMETER_ERROR, "Error en par\xA0metro"},
      {19, P::FISCAL_STATUS_WORKING_MEMORY_ERROR, "Error de memoria de trabajo"},
      {20, P::PRINTER_STATUS_BUSY, "Impresora ocupada"},
      {21, P::PRINTER_STATUS_COVER_OPEN, "Tapa abierta"},
      {22, P::PRINTER_STATUS_DRAWER_OPEN, "Caj\xA2n abierto"},
      {23, P::PRINTER_STATUS_ERROR, "Impresora en error"},
      {24, P::PRINTER_STATUS_MECHANICAL_ERROR, "Error mec\xA0nico de impresi\xA2n"},
      {25, P::PRINTER_STATUS_OFFLINE, "Impresora fuera de l\xA1nea"},
      {26, P::PRINTER_STATUS_OK, "OK"},
      {27, P::PRINTER_STATUS_OUT_OF_PAPER_JOURNAL,
       "Falta papel en auditor\xA1"
       "a"},
      {28, P::PRINTER_STATUS_OUT_OF_PAPER_RECEIPT, "Falta papel"},
      {29, P::QUERY_BUSY_STATE, "ConsultarEstadoEspera"},
      {30, P::SEQUENCE_NUMBER, "Secuencia"},
      {31, P::STATUS, "Estado"},
  };
  for (const ExpectedWord& w : words) {
    SCOPED_TRACE(w.Key);
    EXPECT_EQ(w.Constant, w.Key);
    EXPECT_STREQ(VXP::Translations::Get(w.Key), w.Text);
  }
}

TEST(VxpTranslations, NoneAndKeysBeyondTheTableHaveNoText) {
  EXPECT_EQ(VXP::Translations::NONE, 0u);
  EXPECT_EQ(VXP::Translations::Get(VXP::Translations::NONE), nullptr);
  EXPECT_EQ(VXP::Translations::Get(32), nullptr);
  EXPECT_EQ(VXP::Translations::Get(0xFFFFFFFFu), nullptr);
}

}  // namespace
