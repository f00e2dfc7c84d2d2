#include "app/signature/signaturetext.h"

#include <cstdio>

#include "base/linetext.h"

using authenticode::SignatureFacts;
using authenticode::SignatureStatus;

namespace {

std::string DateText(const der::Time& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
    return text;
}

std::string DateTimeText(const der::Time& t) {
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d", t.hour, t.minute, t.second);
    return DateText(t) + text;
}

}  // namespace

std::string SignatureTooltip(const SignatureFacts& facts) {
    const std::string status = authenticode::SignatureStatusText(facts.status);
    if (facts.status == SignatureStatus::None || facts.status == SignatureStatus::NotSigned) return status;
    // The names are the certificate's, whatever it holds: one line each, by
    // the rule of every value the window shows.
    std::string tip =
        facts.signer.empty() ? "Signed" : "Signed by " + OnOneLine(facts.signer, LineRule::WindowRow);
    tip += " \xE2\x80\x94 " + status;  // an em dash
    if (facts.hasTimestamp) tip += " (timestamp " + DateText(facts.timestamp) + ")";
    return tip;
}

std::string SignatureBoxText(const SignatureFacts& facts) {
    std::string text = "Status: " + std::string(authenticode::SignatureStatusText(facts.status)) + "\n";
    text += "Signer: " + OnOneLine(facts.signer, LineRule::WindowRow) + "\n";
    text += "Issuer: " + OnOneLine(facts.issuer, LineRule::WindowRow) + "\n";
    text += "Signing time: " + (facts.hasTimestamp ? DateTimeText(facts.timestamp) : std::string()) + "\n";
    text += "Digest algorithm: " + facts.digestAlgorithm;
    if (!facts.note.empty()) text += "\n\n" + facts.note;
    return text;
}
