#pragma once
// Owners of the interfaces the Firebird client library hands out.
//
// Each interface must be let go of exactly once, in the way its kind asks
// for: a builder is disposed, metadata released, a cursor closed, a prepared
// statement freed, a transaction rolled back, an attachment or a service
// detached (and released when that fails). A Handle does this when it goes
// out of scope or is reset, so every path lets go, exceptions included. The
// normal end (commit, detach, free) goes through the interface itself and is
// followed by take(), after which the handle holds nothing.
#include <utility>

namespace Firebird {
class IXpbBuilder;
class IMessageMetadata;
class IResultSet;
class IStatement;
class ITransaction;
class IAttachment;
class IService;
}  // namespace Firebird

namespace db::detail {

// Let go of one interface (never throw; failures end in a plain release).
void letGo(Firebird::IXpbBuilder* p) noexcept;
void letGo(Firebird::IMessageMetadata* p) noexcept;
void letGo(Firebird::IResultSet* p) noexcept;
void letGo(Firebird::IStatement* p) noexcept;
void letGo(Firebird::ITransaction* p) noexcept;
void letGo(Firebird::IAttachment* p) noexcept;
void letGo(Firebird::IService* p) noexcept;

template <class T>
class Handle {
public:
    Handle() = default;
    explicit Handle(T* p) : m_p(p) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_p, nullptr));
        return *this;
    }

    // Lets go of the held interface and holds `p` instead.
    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(m_p, p);
        if (old) letGo(old);
    }
    // Gives up the interface without letting go of it (after the library
    // has ended it itself, e.g. by a successful commit or detach).
    T* take() noexcept { return std::exchange(m_p, nullptr); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

using Builder = Handle<Firebird::IXpbBuilder>;
using Metadata = Handle<Firebird::IMessageMetadata>;
using Cursor = Handle<Firebird::IResultSet>;
using StatementHandle = Handle<Firebird::IStatement>;
using TransactionHandle = Handle<Firebird::ITransaction>;
using AttachmentHandle = Handle<Firebird::IAttachment>;
using ServiceHandle = Handle<Firebird::IService>;

}  // namespace db::detail
