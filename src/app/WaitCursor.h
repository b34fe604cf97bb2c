// The busy cursor over the whole application while a long piece of work runs in the caller.
#pragma once

#include <QApplication>
#include <QCursor>

namespace vorn {

// Shows the wait cursor for its lifetime, so the arrow comes back however the work ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace vorn
