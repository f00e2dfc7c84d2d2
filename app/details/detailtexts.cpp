#include "app/details/detailtexts.h"

#include <cstddef>

#include "app/details/detailrows.h"
#include "base/linetext.h"

using namespace fields;

std::string RowText(const FileDetails& d, int id, const DateTimeFormat& format) {
    std::string text;
    switch (id) {
    case edt2: text = d.displayName; break;
    case edt3: text = d.fileType; break;
    case edt4: text = std::to_string(d.fileSize); break;
    case edt5: text = DateTimeText(d.created, format); break;
    case edt6: text = DateTimeText(d.accessed, format); break;
    case edt7: text = DateTimeText(d.modified, format); break;
    case edt8: text = d.companyName; break;
    case edt9: text = d.fileVersion; break;
    case edt19: text = d.productVersion; break;
    case edt10: text = d.fileDescription; break;
    case edt11: text = d.legalCopyright; break;
    case edt12: text = d.legalTrademark; break;
    case edt13: text = d.languageName; break;
    case edt14: text = d.comments; break;
    case edt15: text = d.originalFilename; break;
    case edt16: text = d.internalName; break;
    case edt17:
        if (d.crc) text = std::to_string(static_cast<unsigned long long>(*d.crc));
        break;
    case edt18:
        if (d.md5) text = *d.md5;
        break;
    default: break;
    }
    return OnOneLine(text, LineRule::WindowRow);
}

bool RowChecked(const FileDetails& d, int id) {
    return IsCheckBox(id) && d.attributes[static_cast<std::size_t>(id - chk1)];
}

ReportSource ReportFor(const std::string& path, const FileDetails& d, const DateTimeFormat& format,
                       const std::string& generatedAt) {
    ReportSource src;
    src.generatedAt = generatedAt;
    src.edt[static_cast<std::size_t>(kFileRow.id - edt1 + 1)] = path;
    for (const DetailRow& row : kDetailRows) {
        if (!row.label) continue;
        if (IsCheckBox(row.id))
            src.chk[static_cast<std::size_t>(row.id - chk1 + 1)] = RowChecked(d, row.id);
        else
            src.edt[static_cast<std::size_t>(row.id - edt1 + 1)] = RowText(d, row.id, format);
    }
    return src;
}
