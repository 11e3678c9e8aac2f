#pragma once
// The table of generic powertrain trouble codes and the text the OBD page shows for a code the
// car reports.
//
// Codes are in their two-byte form: the top two bits the letter (00 = P), then four hex digits
// (P0171 = 0x0171). The table holds P0100..P0656, each text "P0171   System too Lean (Bank 1)".

#include <cstdint>
#include <map>
#include <string>

namespace tarvola {

class COBDCodes {
public:
    // The one table, built on first use; never changes afterwards, so threads may share it.
    static const COBDCodes& instance();

    const std::map<std::uint16_t, std::string>& table() const { return m_table; }
    // The table's text for `code`, or nullptr when the table has none.
    const std::string* find(std::uint16_t code) const;

    // The text for a reported code: the table's text when it has one; for a code without a digit
    // in 0x0F00 (which some cars send for P01xx) "P0071  UNKNOWN " followed by a space and the
    // table's text for the code with bit 8 set; otherwise the code as a scan tool writes it and
    // "  UNKNOWN " ("C0035  UNKNOWN ", never the bare "4035").
    std::string codeText(std::uint16_t code) const;

private:
    COBDCodes();
    std::map<std::uint16_t, std::string> m_table;
};

// The same through the shared table.
std::string troubleCodeText(std::uint16_t code);
// A code as every scan tool writes it: the letter of the top two bits (P, C, B, U), then the
// remaining 14 bits as four hex digits, the first 0..3 (0x4035 is "C0035", 0xC100 "U0100").
std::string troubleCodeName(std::uint16_t code);

} // namespace tarvola
