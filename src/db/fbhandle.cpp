#include "db/fbhandle.h"

#include <firebird/Interface.h>

#include "db/fbstatus.h"

using namespace Firebird;

namespace db::detail {

namespace {
// Ends an interface with its closing call; when that fails (a lost
// connection, an engine that has shut down) the interface is released
// without it, so nothing is left behind.
template <class T, class End>
void endOrRelease(T* p, End end) noexcept {
    try {
        Status st;
        end(p, st.get());
        if (st.failed()) p->release();
    } catch (...) {
        p->release();
    }
}
}  // namespace

void letGo(IXpbBuilder* p) noexcept { p->dispose(); }
void letGo(IMessageMetadata* p) noexcept { p->release(); }
void letGo(IResultSet* p) noexcept { endOrRelease(p, [](auto* i, auto* st) { i->close(st); }); }
void letGo(IStatement* p) noexcept { endOrRelease(p, [](auto* i, auto* st) { i->free(st); }); }
void letGo(ITransaction* p) noexcept { endOrRelease(p, [](auto* i, auto* st) { i->rollback(st); }); }
void letGo(IAttachment* p) noexcept { endOrRelease(p, [](auto* i, auto* st) { i->detach(st); }); }
void letGo(IService* p) noexcept { endOrRelease(p, [](auto* i, auto* st) { i->detach(st); }); }

}  // namespace db::detail
