#include "imaging/LibraryErrors.h"

#include <condition_variable>
#include <mutex>

#include <vips/vips.h>

#include "imaging/PictureImpl.h"

namespace picture_impl {

namespace {

struct LibraryState {
    std::mutex mutex;
    std::condition_variable changed;
    int users = 0; // threads inside a Picture operation
    int watches = 0;
    int aloneWaiting = 0; // waiting to decode alone: no new user may start
    bool alone = false;
};

LibraryState& State()
{
    static LibraryState s;
    return s;
}

thread_local int t_useDepth = 0;

} // namespace

LibraryUse::LibraryUse()
{
    if (t_useDepth++ > 0)
        return;
    LibraryState& s = State();
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&s] { return !s.alone && s.aloneWaiting == 0; });
    ++s.users;
}

LibraryUse::~LibraryUse()
{
    if (--t_useDepth > 0)
        return;
    LibraryState& s = State();
    std::lock_guard lock(s.mutex);
    if (--s.users == 0)
        s.changed.notify_all();
}

DecodeWatch::DecodeWatch()
{
    LibraryState& s = State();
    std::lock_guard lock(s.mutex);
    // Others' messages stay: they may be all another decode has to go on.
    if (s.watches++ == 0)
        vips_error_clear();
}

DecodeWatch::~DecodeWatch() { End(); }

bool DecodeWatch::End()
{
    LibraryState& s = State();
    std::lock_guard lock(s.mutex);
    const bool pending = LibraryErrorPending();
    if (!m_ended) {
        m_ended = true;
        --s.watches;
    }
    return pending;
}

DecodeAlone::DecodeAlone()
    : m_wasUsing(t_useDepth > 0)
{
    LibraryState& s = State();
    std::unique_lock lock(s.mutex);
    if (m_wasUsing)
        --s.users;
    ++s.aloneWaiting;
    s.changed.notify_all();
    s.changed.wait(lock, [&s] { return !s.alone && s.users == 0; });
    --s.aloneWaiting;
    s.alone = true;
    vips_error_clear();
}

DecodeAlone::~DecodeAlone()
{
    LibraryState& s = State();
    std::lock_guard lock(s.mutex);
    s.alone = false;
    if (m_wasUsing)
        ++s.users;
    s.changed.notify_all();
}

void ClearLibraryErrors()
{
    LibraryState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.watches == 0 && !s.alone)
        vips_error_clear();
}

} // namespace picture_impl
