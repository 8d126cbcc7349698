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

// A child: a function that the test executable runs instead of its tests
// when it is started with KYN_CHILD=<name> in its environment. Tests that
// need a second process of the program (killed in the middle of its work,
// or holding the database) start their own executable that way.
struct Child {
    const char* name;
    std::function<int()> run;
};
std::vector<Child>& children();
struct ChildRegistrar {
    ChildRegistrar(const char* name, std::function<int()> run) { children().push_back({name, std::move(run)}); }
};
}  // namespace kyntest

#define KYN_CHILD(name, fn) static kyntest::ChildRegistrar kyn_child_##name(#name, fn);
#define KYN_TEST(Class) static kyntest::Registrar<Class> kyn_registrar_##Class(#Class);
