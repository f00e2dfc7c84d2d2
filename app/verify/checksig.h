// The signature of a checksum file for the console's /check: the trusted
// keys from the files the user names with /key, and the verdict on one list
// whose signature lies beside it (LIST.asc, .sig, .gpg, .minisig) or inside
// it (a clearsigned list, signify's list inside its .sig). The verifying
// itself needs no OS (components/sigverify.h); this reads the files and
// the clock.
#pragma once

#include <string>
#include <vector>

#include "components/sigverify.h"

// Reads every key file into `keys`; false with a one-line message naming
// the first file that cannot be read or holds no key.
bool LoadTrustedKeyFiles(const std::vector<std::string>& files, TrustedKeys& keys, std::string& error);

// The `keys` folder beside the running program ("<exe folder>\\keys\\"),
// where the window and /csv take the user's trusted keys from; empty when
// the program's own path cannot be had.
std::string KeysFolderBesideProgram();

// Reads every file in `folder` (not its subfolders) into `keys`. A file that
// cannot be read or holds no key is not passed over in silence: it is named
// in `unreadable` as "NAME: why". A missing folder gives no keys and no
// message: the user has trusted no one.
void LoadKeysFolder(const std::string& folder, TrustedKeys& keys, std::vector<std::string>& unreadable);

struct ListSignature {
    SigVerdict verdict;
    std::string signatureFile;  // the file the signature was read from; empty when none
};

// The verdict on the checksum file `list`, judged now.
ListSignature CheckListSignature(const std::string& list, const TrustedKeys& keys);
