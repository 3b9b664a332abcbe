#pragma once
// The notification area as a list of the calls it was given, each answered with `succeed`.
#include <vector>

#include "tray/notify_shell.h"

namespace kestrine::testing {

class FakeNotifyShell : public NotifyShell {
public:
    struct Call {
        NotifyAction action;
        TrayIconRecord record;
    };
    std::vector<Call> calls;
    bool succeed = true;
    bool showsTheIcon = false;  // the shell has the icon already, so it refuses an add

    bool notify(NotifyAction action, const TrayIconRecord& record) override {
        calls.push_back({action, record});
        return succeed && !(showsTheIcon && action == NotifyAction::Add);
    }
};

}  // namespace kestrine::testing
