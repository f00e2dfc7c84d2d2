// The main window's check of the shown file's signature.
//
// A load whose pass over the file ended whole starts the check; it runs on a
// worker thread of its own (components/filesignature.h opens the file once,
// reading shared as the load does), so the window's thread never waits for
// it. The check is of the version the load read (app/details/loadedversion.h):
// a file that is another one by the time the check opens it gets no verdict,
// and the tooltip says kFileChangedSinceLoad (components/hashtext.h). The
// result comes back as base::kSignatureChecked; only the result of the latest
// check is taken. A new load, Clear all Fields, Esc and closing stop a running
// check: its thread is told to stop and is joined once it has ended, never
// waited for by the window.
//
// The large icon picture (image2) carries the result as its tooltip
// (app/signature/signaturetext.h), and the detail fields' menu shows every field in
// the "Digital Signature" box.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/handles.h"
#include "components/authenticode.h"

class LoadedVersion;
namespace ui {
class Form;
}

class SignatureCheck {
public:
    // Shows its result on `form`'s large icon picture (image2).
    explicit SignatureCheck(ui::Form& form);
    ~SignatureCheck();
    SignatureCheck(const SignatureCheck&) = delete;
    SignatureCheck& operator=(const SignatureCheck&) = delete;

    // Stops a running check, forgets the result and starts checking the
    // version of the file that `version` describes.
    void Start(const LoadedVersion& version);
    // Stops a running check; a result already shown stays.
    void Stop();
    // Stops a running check and forgets the result: no tooltip, no box.
    void Clear();
    bool Running() const { return current_ != nullptr; }

    // base::kSignatureChecked. True when answered, with the answer in `result`.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // Whether a check ended unstopped on the version loaded.
    bool HasResult() const { return hasResult_; }
    // Whether the "Digital Signature…" item has something to show: a result
    // for a file that can carry a signature.
    bool CanShow() const { return hasResult_ && result_.status != authenticode::SignatureStatus::None; }
    // The "Digital Signature" box with every field.
    void ShowBox();

    // The large icon's tooltip text as its tooltip control holds it (UTF-8);
    // empty when it has none.
    std::string TooltipText() const;
    HWND Tooltip() const { return tooltip_.get(); }

    // Called on a check's thread with the path just before the check opens
    // the file; for tests. Taken by each check when it starts.
    std::function<void(const std::string& path)> onCheckOpens;

private:
    struct Job;
    struct Retired {
        std::thread thread;
        std::shared_ptr<Job> job;
    };
    void Retire();
    void Reap();
    void ShowTooltip();

    ui::Form& form_;
    std::shared_ptr<Job> current_;
    std::thread thread_;            // the thread of current_
    std::vector<Retired> retired_;  // stopped checks whose thread may still run
    WPARAM number_ = 0;             // of the latest check started
    bool hasResult_ = false;
    bool changed_ = false;          // the latest check found another version of the file
    authenticode::SignatureFacts result_;
    base::UniqueWindow tooltip_;
    bool toolAdded_ = false;
    std::wstring tip_;
};
