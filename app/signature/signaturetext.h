// The texts of a file's signature: the large icon's tooltip, the "Digital
// Signature…" box.
#pragma once

#include <string>

#include "components/authenticode.h"

// "Signed by Example Corp — Valid (timestamp 2026-05-01)"; "Not signed" for
// a program without a signature; empty for a file that cannot carry one.
// The names are written by LineRule::WindowRow (base/linetext.h): a control
// character in a certificate's name is a blank and cannot start a line.
std::string SignatureTooltip(const authenticode::SignatureFacts& facts);

// Every field, one a line: status, signer, issuer, signing time (the
// timestamp's, local, "2026-05-01 14:00:00"), digest algorithm; then the
// reason, when the check found the signature damaged or could not check it.
std::string SignatureBoxText(const authenticode::SignatureFacts& facts);
