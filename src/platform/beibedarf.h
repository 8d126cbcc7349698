#pragma once
// A program-wide reference to an object that is made when it is first used.
//
// The program's start makes only what its first screen needs. Dialogs,
// printouts and windows that come later are still made in one place (the
// program's start, src/shell/programm.cpp, hands each reference its maker
// and owns what the maker makes); the reference makes the object the first
// time code asks for it:
//
//   extern platform::BeiBedarf<Tfrm_about> frm_about;   // in the header
//   frm_about.setMacher([this] { ... return m_about.get(); });
//   if (frm_about) frm_about->show();                    // made here, once
//
// Asking for it (->, the conversion to a pointer, get()) makes the object
// when a maker is set and the object does not exist (or has gone); data()
// only looks. Without a maker (tests, after the program's end) the
// reference is a plain guarded pointer: it holds what was assigned.
#include <QPointer>
#include <functional>
#include <utility>

namespace platform {

template <class T>
class BeiBedarf {
public:
    using Macher = std::function<T*()>;

    // The one place that makes the object; empty: nothing is made any more.
    void setMacher(Macher m) { m_macher = std::move(m); }
    bool hatMacher() const { return bool(m_macher); }

    // The object, made now when needed; nullptr when there is none and no
    // maker.
    T* get() const {
        if (!m_obj && m_macher) m_obj = m_macher();
        return m_obj.data();
    }
    // The object only if it has been made.
    T* data() const { return m_obj.data(); }

    T* operator->() const { return get(); }
    operator T*() const { return get(); }
    BeiBedarf& operator=(T* obj) {
        m_obj = obj;
        return *this;
    }

private:
    Macher m_macher;
    mutable QPointer<T> m_obj;
};

}  // namespace platform
