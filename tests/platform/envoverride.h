#pragma once
// Sets (or unsets) an environment variable for a scope and restores it.
#include <QByteArray>
#include <QtGlobal>

class EnvOverride {
public:
    EnvOverride(const char* name, const QByteArray& value, bool unset = false)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (unset) qunsetenv(name);
        else qputenv(name, value);
    }
    static EnvOverride unset(const char* name) { return EnvOverride(name, QByteArray(), true); }
    ~EnvOverride() {
        if (m_had) qputenv(m_name, m_old);
        else qunsetenv(m_name);
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};
