// The answer vocabulary, indexed by key.
#include "vxp/vxp_translations.h"

namespace VXP::Translations {
namespace {

// Texts in the internal character set, in key order.
constexpr const char* TEXTS[MAX_KEY + 1] = {
    nullptr,                // NONE
    "ControladorOcupado",   // BUSY_STATE
    "Error",                // ERROR
    "Contexto",             // ERROR_CONTEXT
    "Descripcion",          // ERROR_DESCRIPTION
    "Identificador",        // ERROR_IDENTIFIER
    "Error aritm\x82tico",  // FISCAL_STATUS_ARITHMETIC_ERROR
    "Comando rechazado",    // FISCAL_STATUS_COMMAND_REJECTED
    "Comprobante abierto",  // FISCAL_STATUS_DOCUMENT_OPENED
    "Error de memoria de auditor\xA1"
    "a",                                  // FISCAL_STATUS_ELECTRONIC_JOURNAL_ERROR
    "Comprobante fiscal abierto",         // FISCAL_STATUS_FISCAL_DOCUMENT_OPENED
    "Error de memoria fiscal",            // FISCAL_STATUS_FISCAL_MEMORY_ERROR
    "Memoria fiscal llena",               // FISCAL_STATUS_FISCAL_MEMORY_FULL
    "Memoria fiscal inicializada",        // FISCAL_STATUS_FISCAL_MEMORY_INITIALIZED
    "Memoria fiscal por llenarse",        // FISCAL_STATUS_FISCAL_MEMORY_NEAR_FULL
    "Error general",                      // FISCAL_STATUS_GENERAL_ERROR
    "Estado inv\xA0lido",                 // FISCAL_STATUS_INVALID_STATE
    "OK",                                 // FISCAL_STATUS_OK
    "Error en par\xA0metro",              // FISCAL_STATUS_PARAMETER_ERROR
    "Error de memoria de trabajo",        // FISCAL_STATUS_WORKING_MEMORY_ERROR
    "Impresora ocupada",                  // PRINTER_STATUS_BUSY
    "Tapa abierta",                       // PRINTER_STATUS_COVER_OPEN
    "Caj\xA2n abierto",                   // PRINTER_STATUS_DRAWER_OPEN
    "Impresora en error",                 // PRINTER_STATUS_ERROR
    "Error mec\xA0nico de impresi\xA2n",  // PRINTER_STATUS_MECHANICAL_ERROR
    "Impresora fuera de l\xA1nea",        // PRINTER_STATUS_OFFLINE
    "OK",                                 // PRINTER_STATUS_OK
    "Falta papel en auditor\xA1"
    "a",                      // PRINTER_STATUS_OUT_OF_PAPER_JOURNAL
    "Falta papel",            // PRINTER_STATUS_OUT_OF_PAPER_RECEIPT
    "ConsultarEstadoEspera",  // QUERY_BUSY_STATE
    "Secuencia",              // SEQUENCE_NUMBER
    "Estado",                 // STATUS
};

}  // namespace

const char* Get(Key id) { return id <= MAX_KEY ? TEXTS[id] : nullptr; }

}  // namespace VXP::Translations
