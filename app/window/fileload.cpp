#include "app/window/fileload.h"

FileLoad::FileLoad(HWND window) : window_(window), busy_(window), pass_(busy_) {}

void FileLoad::Run(const std::function<void()>& change) {
    struct Running {
        FileLoad& load;
        explicit Running(FileLoad& l) : load(l) { load.running_ = true; }
        ~Running() {
            load.running_ = false;
            // A held click whose post fails (a full queue) is dropped, as the
            // system drops input then.
            for (const MSG& m : load.held_) (void)PostMessageW(load.window_, m.message, m.wParam, m.lParam);
            load.held_.clear();
        }
    } running(*this);
    do {
        restart_ = false;
        change();
    } while (restart_);
}

void FileLoad::Restart() {
    restart_ = true;
    pass_.Stop();
}

void FileLoad::Hold(UINT msg, WPARAM wp, LPARAM lp) {
    pass_.Stop();
    MSG m{};
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    held_.push_back(m);
}

PassResult FileLoad::Pass(HANDLE file, const std::string& name, const PassFeeds& feeds) {
    Busy busy(*this);
    return pass_.Run(file, name, feeds);
}

CompareResult FileLoad::Compare(const std::string& first, const std::string& second) {
    Busy busy(*this);
    return pass_.Compare(first, second);
}
