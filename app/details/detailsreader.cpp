#include "app/details/detailsreader.h"

#include <cstring>
#include <memory>
#include <utility>

#include "app/details/readdetails.h"
#include "components/dcUtils.h"
#include "components/filesignature.h"
#include "components/versiontext.h"

namespace {

// Keeps the first bytes a pass feeds.
class HeadSink : public DigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override {
        const std::size_t take = len < sizeof head_ - size_ ? len : sizeof head_ - size_;
        std::memcpy(head_ + size_, data, take);
        size_ += take;
    }
    const unsigned char* data() const { return head_; }
    std::size_t size() const { return size_; }

private:
    unsigned char head_[2] = {};
    std::size_t size_ = 0;
};

}  // namespace

bool DetailsReader::Read(const std::string& path, FileDetails& details, std::string& reason) {
    if (!NamesAFile(path, reason)) return false;
    try {
        TdcVersionInfo fver1;
        TdcFileInfo Finfo1;
        Finfo1.SetIconsWanted(false);
        Finfo1.SetShellNames(&names_);
        Finfo1.SetFILENAME(path);
        // One read gives the checksum, the digest and the first bytes.
        HeadSink head;
        ChecksumWants wants;
        wants.crc = TdcFileCRCMethod::crc32;
        wants.digests.push_back(&head);
        wants.crcOfHeldFile = false;
        // The MD5 runs beside the reads, each further digest on a thread
        // of its own.
        std::vector<std::unique_ptr<HexDigestSink>> digests;
        for (DigestKind kind : digests_) {
            digests.push_back(MakeHexDigestSink(kind));
            wants.workers.push_back(digests.back().get());
        }
        FileSignature signature;
        if (withSignature_)
            wants.afterPass = [&](HANDLE file) {
                const CancelToken never;
                signature = CheckSignature(file, path, never);
            };
        const ChecksumPass pass = ReadChecksums(path, wants);
        const bool headKnown = pass.openError == ERROR_SUCCESS && pass.result.outcome == PassOutcome::Done;
        if (!headKnown || MayHoldVersionResource(head.data(), head.size())) fver1.SetFILENAME(path);
        if (pass.openError != ERROR_SUCCESS) throw CannotOpenFile(path, pass.openError);
        RaiseIfChangedWhileRead(pass.result, path);
        details = DetailsOf(Finfo1, fver1);
        details.crc = pass.crc;
        details.md5 = pass.md5;
        for (const auto& digest : digests) {
            // Lower-case, as the checksum tools write them.
            std::string hex = digest->Hex();
            for (char& c : hex)
                if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
            details.digests.push_back(std::move(hex));
        }
        if (withSignature_) {
            details.signature = authenticode::SignatureStatusText(signature.status);
            details.signer = signature.signer;
        }
        return true;
    } catch (const std::exception& e) {
        reason = e.what();
        return false;
    }
}
