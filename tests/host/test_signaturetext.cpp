// The texts of a signature: the large icon's tooltip and the "Digital
// Signature…" box, for each kind of verdict.
#include <gtest/gtest.h>

#include <string>

#include "app/signature/signaturetext.h"

namespace {

using authenticode::SignatureFacts;
using authenticode::SignatureStatus;

SignatureFacts Facts(SignatureStatus status, const std::string& signer, bool timestamp) {
    SignatureFacts f;
    f.status = status;
    f.signer = signer;
    if (!signer.empty()) {
        f.issuer = "Example Root";
        f.digestAlgorithm = "SHA-256";
    }
    f.hasTimestamp = timestamp;
    f.timestamp = der::Time{2026, 5, 1, 14, 3, 9};
    return f;
}

TEST(SignatureText, Tooltips) {
    const std::string dash = "\xE2\x80\x94";
    struct Case {
        SignatureFacts facts;
        std::string tip;
    };
    const Case cases[] = {
        {Facts(SignatureStatus::Valid, "Example Corp", true),
         "Signed by Example Corp " + dash + " Valid (timestamp 2026-05-01)"},
        {Facts(SignatureStatus::NotTrusted, "Example Corp", false),
         "Signed by Example Corp " + dash + " Not trusted"},
        {Facts(SignatureStatus::Changed, "Example Corp", true),
         "Signed by Example Corp " + dash + " Changed after signing (timestamp 2026-05-01)"},
        {Facts(SignatureStatus::Changed, "", false), "Signed " + dash + " Changed after signing"},  // damaged
        {Facts(SignatureStatus::Expired, "Old Corp", false), "Signed by Old Corp " + dash + " Expired"},
        {Facts(SignatureStatus::Revoked, "Bad Corp", false), "Signed by Bad Corp " + dash + " Revoked"},
        {Facts(SignatureStatus::NotSigned, "", false), "Not signed"},
        {Facts(SignatureStatus::None, "", false), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.tip, SignatureTooltip(c.facts));
}

TEST(SignatureText, TheBoxShowsEveryFieldAndTheReason) {
    EXPECT_EQ(
        "Status: Valid\nSigner: Example Corp\nIssuer: Example Root\nSigning time: 2026-05-01 14:03:09\n"
        "Digest algorithm: SHA-256",
        SignatureBoxText(Facts(SignatureStatus::Valid, "Example Corp", true)));
    SignatureFacts damaged = Facts(SignatureStatus::Changed, "", false);
    damaged.note = "The certificate table runs past the end of the file.";
    EXPECT_EQ(
        "Status: Changed after signing\nSigner: \nIssuer: \nSigning time: \nDigest algorithm: \n\n"
        "The certificate table runs past the end of the file.",
        SignatureBoxText(damaged));
    EXPECT_EQ("Status: Not signed\nSigner: \nIssuer: \nSigning time: \nDigest algorithm: ",
              SignatureBoxText(Facts(SignatureStatus::NotSigned, "", false)));
}

TEST(SignatureText, ControlCharactersInANameAreBlanksAndTheWholeNameShows) {
    const std::string dash = "\xE2\x80\x94";
    struct Case {
        std::string name, shown;
    };
    const Case cases[] = {
        // Nothing after a NUL is dropped: the rest is part of the name.
        {std::string("Microsoft Corporation\0 Evil Inc", 31), "Microsoft Corporation  Evil Inc"},
        // A line break cannot make a line that looks like the program's own.
        {"Example Corp\r\nSignature: Valid\r\nMD5: 000", "Example Corp  Signature: Valid  MD5: 000"},
        {"Tab\tand escape\x1b[0m\x7f", "Tab and escape [0m "},
    };
    for (const Case& c : cases) {
        SignatureFacts f = Facts(SignatureStatus::Changed, c.name, false);
        f.issuer = c.name;
        EXPECT_EQ("Signed by " + c.shown + " " + dash + " Changed after signing", SignatureTooltip(f));
        EXPECT_EQ("Status: Changed after signing\nSigner: " + c.shown + "\nIssuer: " + c.shown +
                      "\nSigning time: \nDigest algorithm: SHA-256",
                  SignatureBoxText(f));
    }
}

}  // namespace
