#pragma once
// Test classes register themselves with KYN_TEST(Class); the common test main
// runs every registered class (or the ones named on the command line).
#include <QObject>
#include <functional>
#include <vector>

namespace kyntest {
struct Entry {
    const char* name;
    std::function<QObject*()> make;
};
std::vector<Entry>& registry();
template <class T>
struct Registrar {
    explicit Registrar(const char* name) { registry().push_back({name, [] { return new T; }}); }
};
}  // namespace kyntest

#define KYN_TEST(Class) static kyntest::Registrar<Class> kyn_registrar_##Class(#Class);
