// Verifying the shown file against published hashes: one on the clipboard,
// and those of checksum files beside the file (app/verify/sumfiles.h).
//
// The rows describe one version of the file, the one the load read: its
// volume, file index, size and last-write time are remembered at the load's
// pass (LoadedVersion, app/details/loadedversion.h). Every comparison, and every digest computed on demand
// (app/verify/ondemand.h), is of that version.
//
// Whenever the clipboard changes, a load ends or the window is activated, the
// clipboard's text is searched for one hash (components/hashtext.h), and the
// hashes the checksum files gave at the load are taken; a checksum file that
// is no longer the version read then (rewritten, replaced, deleted) is read
// again first, so its row is judged by what it says now. Each hash of a kind a
// row shows speaks for that row: CRC-32 for the CRC row; MD5, SHA-1,
// SHA-256, SHA-384, SHA-512, BLAKE2b and BLAKE3 for the MD5 row (all but the
// MD5 computed in the load's pass when a checksum file asked for them, else
// on demand). A row that every hash
// matches is green, a row that any hash differs from light red, with a
// tooltip line per hash that says what was compared with what ("SHA-256
// matches SHA256SUMS", "MD5 differs from the clipboard: 0123…"). When the
// file no longer is the version loaded (another size, last-write time or
// file, or no file), the rows keep their usual colour and the tooltip says
// kFileChangedSinceLoad; while a row is coloured the file and the checksum
// files read are looked at once a second, so a verdict goes as soon as the
// bytes it judged, or those it judged them by, do. Anything else on the
// clipboard, or an empty row, leaves the rows in their usual look. Texts, the
// report and the rows' other behaviour are not touched.
//
// A checksum file's own signature (LIST.asc, .sig, .gpg, .minisig beside it,
// or inside it: clearsigned, signify) is judged by the keys in the `keys`
// folder beside the program, read again at each load and whenever a
// checksum file is read again; a key beside the download is never trusted,
// only named. The row's tooltip line adds the verdict ("…, signed by
// Example Release — Good signature"), and a bad signature (or worse:
// SigStatusFails) turns the row light red even when the hash matches.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/details/loadedversion.h"
#include "app/verify/checktext.h"
#include "app/verify/sumfiles.h"
#include "base/handles.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashtext.h"

class WindowPasses;
namespace ui {
class Form;
}

class ClipboardVerifier {
public:
    // Listens to `form`'s clipboard changes until destroyed and colours its
    // CRC and MD5 rows; digests on demand read through `passes`.
    ClipboardVerifier(ui::Form& form, WindowPasses& passes);
    ~ClipboardVerifier();
    ClipboardVerifier(const ClipboardVerifier&) = delete;
    ClipboardVerifier& operator=(const ClipboardVerifier&) = delete;

    // Reads the clipboard and colours the rows anew.
    void Check();

    // The load's two points. Before its pass: the last
    // version is forgotten, the checksum files beside `name` are read, and
    // the digests beyond the rows that they ask for (SHA-1 and wider) join
    // `feeds`, spread over its two threads. After its pass: the version it
    // read is remembered when it is Done, with those digests when
    // `digestsRead` (the pass fed them: the file was opened for the digests,
    // not only shared for the CRC).
    void LoadBegins(const std::string& name, PassFeeds& feeds);
    void LoadRead(const std::string& name, const PassResult& result, bool digestsRead);
    LoadedVersion& Loaded() { return loaded_; }

    // The window's messages that concern verifying (clipboard changes,
    // activation, the rows' colours, the look at the file). True when the
    // message is answered, with the answer in `result`; activation is only
    // watched.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // A row's background colour (CLR_INVALID: the usual one) and its
    // tooltip text (UTF-8, lines separated by CR LF; empty: none).
    COLORREF RowColor(int row) const;
    std::string RowTooltip(int row) const;
    // The first row (edt17, edt18) with a colour or a tooltip, 0 for none;
    // its colour and its tooltip text.
    int MarkedRow() const;
    COLORREF MarkColor() const { return RowColor(MarkedRow()); }
    std::string TooltipText() const { return RowTooltip(MarkedRow()); }
    HWND Tooltip() const { return tooltip_.get(); }

    // Whether a checksum file beside the shown file lists it; the box of
    // those files' signatures ("Checksum File Signature"), shown only then.
    bool HasListings() const { return !listings_.empty(); }
    std::string ListSignatureText() const { return ListSignatureBoxText(listVerdicts_, unreadableKeys_); }
    void ShowListSignatureBox();
    // The folder the trusted keys are read from; the one beside the
    // program unless a test names another (the tests run the window inside
    // their own program).
    void SetKeysFolder(const std::string& folder) { keysFolder_ = folder; }

    static constexpr COLORREF kMatch = RGB(144, 238, 144);
    static constexpr COLORREF kDiffer = RGB(255, 182, 182);
    // How often a coloured row's file is looked at.
    static constexpr UINT kLookEveryMs = 1000;

private:
    struct Mark {
        int row = 0;
        COLORREF color = CLR_INVALID;
        std::wstring tip;
    };
    void Show(Mark& mark, COLORREF color, const std::wstring& tip);
    void Watch(bool on);
    // Reads the trusted keys again and judges the signature of each
    // checksum file that lists the file.
    void JudgeLists();
    const SigVerdict* VerdictOf(const std::string& source) const;

    ui::Form& form_;
    WindowPasses& passes_;
    bool listening_ = false;
    bool checking_ = false;
    bool watching_ = false;
    Mark marks_[2];  // the CRC row's and the MD5 row's
    LoadedVersion loaded_;
    std::vector<Listing> listings_;
    std::string listsOf_;          // the file whose checksum files were read
    std::vector<ReadList> lists_;  // the checksum files read, as they were
    std::string keysFolder_;
    std::vector<ListVerdict> listVerdicts_;    // of the lists that list the file, in their order
    std::vector<std::string> unreadableKeys_;  // "NAME: why" of the keys folder's files
    // The digests of the running load's pass that the checksum files ask for.
    struct LoadDigest {
        DigestKind kind;
        std::size_t blake2bBytes;
        std::unique_ptr<HexDigestSink> sink;
    };
    std::vector<LoadDigest> loadDigests_;
    base::UniqueBrush match_, differ_;
    base::UniqueWindow tooltip_;
};
