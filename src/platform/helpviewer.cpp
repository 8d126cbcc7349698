#include "helpviewer.h"

namespace platform {

namespace {

class NoHelpViewer : public HelpViewer {
public:
    void showContents(const QString&) override {}
    void search(const QString&, const QString&) override {}
};

HelpViewer* g_installed = nullptr;

} // namespace

HelpViewer& helpViewer() {
    static NoHelpViewer none;
    return g_installed ? *g_installed : none;
}

HelpViewer* setHelpViewer(HelpViewer* v) {
    HelpViewer* previous = g_installed;
    g_installed = v;
    return previous;
}

} // namespace platform
