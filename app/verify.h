// Verifying the shown file against published hashes: one on the clipboard,
// and those of checksum files beside the file (app/sumfiles.h).
//
// The rows describe one version of the file, the one the load read: its
// volume, file index, size and last-write time are remembered at the load's
// pass (LoadedVersion). Every comparison, and every digest computed on demand
// (app/ondemand.h), is of that version.
//
// Whenever the clipboard changes, a load ends or the window is activated, the
// clipboard's text is searched for one hash (components/hashtext.h), and the
// hashes the checksum files gave at the load are taken; a checksum file that
// is no longer the version read then (rewritten, replaced, deleted) is read
// again first, so its row is judged by what it says now. Each hash of a kind a
// row shows speaks for that row: CRC-32 for the CRC row; MD5, SHA-1 and
// SHA-256 for the MD5 row (the SHAs computed in the load's pass when a
// checksum file asked for them, else on demand). A row that every hash
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
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/sumfiles.h"
#include "base/handles.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashtext.h"

class TForm1;

// The version of the file that the rows describe, and the digests of that
// version computed so far beyond the rows.
class LoadedVersion {
public:
    void Forget();
    // The version a load's pass read from `path`; an unknown stamp forgets.
    void Take(const std::string& path, const FileStamp& stamp);
    bool Known() const { return stamp_.known; }
    const std::string& Path() const { return path_; }

    enum class Now { Unknown, Same, Changed };
    // Whether the file `Path()` names now is still that version; Changed when
    // no file can be opened by the name. Unknown when no version is known.
    Now Check() const;
    // Whether a file opened by `path` as `stamp` is that version.
    bool Is(const std::string& path, const FileStamp& stamp) const;

    // SHA-1 or SHA-256 of that version, empty when not computed yet.
    std::string Digest(DigestKind kind) const;
    void Keep(DigestKind kind, const std::string& hex);

private:
    std::string path_;
    FileStamp stamp_;
    std::string sha1_, sha256_;
};

class ClipboardVerifier {
public:
    // Listens to `form`'s clipboard changes until destroyed.
    explicit ClipboardVerifier(TForm1& form);
    ~ClipboardVerifier();
    ClipboardVerifier(const ClipboardVerifier&) = delete;
    ClipboardVerifier& operator=(const ClipboardVerifier&) = delete;

    // Reads the clipboard and colours the rows anew.
    void Check();

    // The load's two points (TForm1::Load). Before its pass: the last
    // version is forgotten, the checksum files beside `name` are read, and
    // the SHA digests they ask for join `feeds`. After its pass: the version
    // it read is remembered with those digests when it is Done.
    void LoadBegins(const std::string& name, PassFeeds& feeds);
    void LoadRead(const std::string& name, const PassResult& result);
    LoadedVersion& Loaded() { return loaded_; }
    // What the checksum files of the last load say of it.
    const std::vector<Listing>& Listings() const { return listings_; }

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

    TForm1& form_;
    bool listening_ = false;
    bool checking_ = false;
    bool watching_ = false;
    Mark marks_[2];  // the CRC row's and the MD5 row's
    LoadedVersion loaded_;
    std::vector<Listing> listings_;
    std::string listsOf_;          // the file whose checksum files were read
    std::vector<ReadList> lists_;  // the checksum files read, as they were
    // The SHA digests of the running load's pass that the checksum files ask for.
    std::unique_ptr<Sha1Sink> loadSha1_;
    std::unique_ptr<Sha256Sink> loadSha256_;
    base::UniqueBrush match_, differ_;
    base::UniqueWindow tooltip_;
};
