#include "app/signature/signaturecheck.h"

#include <commctrl.h>

#include <atomic>
#include <optional>

#include "app/details/fields.h"
#include "app/details/loadedversion.h"
#include "app/signature/signaturetext.h"
#include "ui/form.h"
#include "base/fs.h"
#include "base/windowmessages.h"
#include "components/filepass.h"
#include "components/filesignature.h"
#include "components/hashtext.h"
#include "ui/tooltips.h"

using namespace fields;

struct SignatureCheck::Job {
    LoadedVersion version;  // a copy: the thread reads nothing of the window's
    CancelToken cancel;
    FileSignature result;
    bool changed = false;  // the file was no longer that version: nothing checked
    std::atomic<bool> ended{false};
};

SignatureCheck::SignatureCheck(ui::Form& form) : form_(form) {
    // A long signer's name wraps instead of running off the screen.
    tooltip_.reset(ui::CreateTooltip(form_.Handle(), 480));
}

SignatureCheck::~SignatureCheck() {
    Retire();
    for (Retired& r : retired_) {
        // A thread still inside the platform's verification finishes on its
        // own: it holds its job, and its message to a closed window is lost.
        if (r.job->ended.load())
            r.thread.join();
        else
            r.thread.detach();
    }
    // The tooltip goes with the window when the window went first.
    if (!IsWindow(tooltip_.get())) tooltip_.release();
}

void SignatureCheck::Start(const LoadedVersion& version) {
    Clear();
    auto job = std::make_shared<Job>();
    job->version = version;
    const WPARAM number = ++number_;
    HWND window = form_.Handle();
    current_ = job;
    thread_ = std::thread([job, window, number, opens = onCheckOpens] {
        const std::string& path = job->version.Path();
        if (opens) opens(path);
        try {
            // As the digests on demand: only the version the rows describe.
            const std::optional<FileSignature> r = CheckFileSignature(
                path, job->cancel, [&](HANDLE file) { return job->version.Is(path, StampOf(file)); });
            if (r)
                job->result = *r;
            else
                job->changed = true;
        } catch (const std::exception&) {
            // Out of memory: nothing is known, and nothing is claimed.
            job->result = FileSignature{};
        }
        job->ended.store(true);
        // A post that fails (the window is gone, or its queue is full) loses
        // only the news: the result is not shown, as for a stopped check, and
        // the next Start or Clear joins this thread, which has ended.
        (void)PostMessageW(window, base::kSignatureChecked, number, 0);
    });
}

void SignatureCheck::Stop() {
    Retire();
    Reap();
}

void SignatureCheck::Clear() {
    Stop();
    hasResult_ = false;
    changed_ = false;
    result_ = FileSignature{};
    ShowTooltip();
}

void SignatureCheck::Retire() {
    if (!current_) return;
    current_->cancel.Stop();
    retired_.push_back(Retired{std::move(thread_), std::move(current_)});
    current_.reset();
}

void SignatureCheck::Reap() {
    for (auto it = retired_.begin(); it != retired_.end();) {
        if (it->job->ended.load()) {
            it->thread.join();
            it = retired_.erase(it);
        } else {
            ++it;
        }
    }
}

bool SignatureCheck::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != base::kSignatureChecked) return false;
    result = 0;
    Reap();
    if (!current_ || wp != number_) return true;  // a stopped check's late word
    // The thread has posted its last act: the join returns at once.
    thread_.join();
    const std::shared_ptr<Job> job = std::move(current_);
    current_.reset();
    if (job->result.stopped) return true;
    if (job->changed) {
        changed_ = true;
        ShowTooltip();
        return true;
    }
    result_ = job->result;
    hasResult_ = true;
    ShowTooltip();
    return true;
}

void SignatureCheck::ShowTooltip() {
    if (!tooltip_) return;
    HWND picture = form_.Control(image2);
    const std::wstring tip = changed_     ? fs::Widen(kFileChangedSinceLoad)
                             : hasResult_ ? fs::Widen(SignatureTooltip(result_))
                                          : std::wstring();
    if (tip == tip_ && toolAdded_ == !tip.empty()) return;
    TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), picture);
    if (toolAdded_) {
        SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        toolAdded_ = false;
    }
    tip_ = tip;
    if (tip_.empty()) return;
    ti.lpszText = &tip_[0];
    toolAdded_ = SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
}

std::string SignatureCheck::TooltipText() const {
    if (!toolAdded_ || !tooltip_) return std::string();
    return fs::Narrow(ui::WindowToolText(tooltip_.get(), form_.Handle(), form_.Control(image2)));
}

void SignatureCheck::ShowBox() {
    if (!CanShow()) return;
    ui::Application().ShowMessageBox(form_.Handle(), SignatureBoxText(result_), "Digital Signature",
                                     MB_OK | MB_ICONINFORMATION);
}
