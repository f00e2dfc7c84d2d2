#include "app/details/readdetails.h"

#include "components/dcUtils.h"

bool NamesAFile(const std::string& path, std::string& reason) {
    if (FileExists(path)) return true;
    reason = ProbeEntry(path) == EntryKind::Directory ? "Is a folder" : "File not found";
    return false;
}

FileDetails DetailsOf(const TdcFileInfo& info, const TdcVersionInfo& version) {
    FileDetails d;
    d.displayName = info.DisplayName();
    d.fileType = info.FileType();
    d.fileSize = info.FileSize();
    for (std::size_t i = 0; i < d.attributes.size(); ++i)
        d.attributes[i] = info.FileAttributes().Contains(kShownAttributes[i]);
    d.created = info.TimeCreated();
    d.accessed = info.TimeLastAccessed();
    d.modified = info.TimeLastModified();
    d.companyName = version.CompanyName();
    d.fileVersion = version.FileVersion();
    d.productVersion = version.ProductVersion();
    d.fileDescription = version.FileDescription();
    d.legalCopyright = version.LegalCopyright();
    d.legalTrademark = version.LegalTrademark();
    d.languageName = version.LanguageName();
    d.comments = version.Comments();
    d.originalFilename = version.OriginalFilename();
    d.internalName = version.InternalName();
    return d;
}

ChecksumPass ReadChecksums(const std::string& name, const ChecksumWants& wants, const PassRunner& run) {
    ChecksumPass pass;
    std::optional<CrcSink> crc;
    if (wants.crc) crc.emplace(*wants.crc);
    Md5Sink md5;
    PassFeeds feeds;
    if (crc) feeds.reader.push_back(&*crc);
    if (wants.md5) feeds.caller.push_back(&md5);
    for (DigestSink* digest : wants.digests) feeds.caller.push_back(digest);
    for (DigestSink* digest : wants.workers) feeds.workers.push_back(digest);
    feeds.stamp = wants.stamp;

    ReadSteps steps;
    steps.run = run;
    steps.done = wants.afterPass;
    FileRead read = ReadFileOnce(name, feeds, steps);
    pass.openError = read.openError;
    if (read.openError != ERROR_SUCCESS && crc && wants.crcOfHeldFile) {
        // The digests cannot have the file (another program writes to it);
        // the checksum shares writing and is still computed.
        feeds.caller.clear();
        feeds.workers.clear();
        steps.share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        read = ReadFileOnce(name, feeds, steps);
    }
    const bool opened = read.openError == ERROR_SUCCESS;
    if (opened) pass.result = read.result;
    if (pass.result.outcome != PassOutcome::Done) return pass;
    if (crc) pass.crc = opened ? crc->Value() : 0u;
    if (wants.md5 && pass.openError == ERROR_SUCCESS) pass.md5 = md5.Hex();
    return pass;
}

ChecksumPass ReadChecksums(const std::string& name, const ChecksumWants& wants) {
    return ReadChecksums(name, wants, PassRunner());
}
