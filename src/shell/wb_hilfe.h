#pragma once
// The separate help window: an ordinary resizable window whose whole client
// area is an HTML view. It serves the help menu (contents and search).
#include "platform/beibedarf.h"
#include <QPointer>
#include <QWidget>

class HtmlBrowser;

class Tfrm_wb_hilfe : public QWidget {
    Q_OBJECT
public:
    explicit Tfrm_wb_hilfe(QWidget* parent = nullptr);

    // Shows the window (brought forward) with the given local file.
    void zeigeSeite(const QString& filePath);

    HtmlBrowser* wb_hilfe = nullptr;
};

extern platform::BeiBedarf<Tfrm_wb_hilfe> frm_wb_hilfe;
