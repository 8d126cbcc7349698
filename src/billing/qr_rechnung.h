#pragma once
// Printouts of invoicing: the invoice (and cancellation invoice) with every
// content the law asks for and the Girocode, and the reminder letter. Both
// are laid out by the report engine into its page model; preview, printer,
// PDF and tests read the same pages.
//
// The Girocode is drawn from libqrencode's module matrix as filled squares
// into the page (error correction level M), not from a picture file.
#include <QString>
#include <QVector>

#include "data/rechnungen.h"
#include "report/reportpages.h"

namespace billing {

// The dark modules of the QR code of `text` (UTF-8, level M), row by row;
// empty when libqrencode cannot encode it.
QVector<QVector<bool>> qrModule(const QString& text);

// The Girocode payload of an invoice: the rest to pay with the invoice
// number as remittance text; empty for a cancellation, without IBAN or
// with nothing to pay.
QString girocodeFuer(const rechnungen::Rechnung& r, rechnungen::Cent rest);

// The pages of an invoice. `rest` is the amount the Girocode asks for (the
// gross amount of a new invoice).
report::ReportPages rechnungsseiten(const rechnungen::Rechnung& r, rechnungen::Cent rest);
report::ReportPages rechnungsseiten(const rechnungen::Rechnung& r);

// The pages of a reminder letter (Zahlungserinnerung, 1. or 2. Mahnung).
report::ReportPages mahnungsseiten(const rechnungen::Mahnschreiben& m, const rechnungen::Einstellungen& e);

// "Rechnung RE-2026-0001", "Stornorechnung RE-2026-0002", "Rechnungsentwurf"
QString titel(const rechnungen::Rechnung& r);

// Writes the issued invoice's PDF into the archive (rechnungen::archivdatei)
// unless it is there already: an archived invoice is never overwritten.
// Returns the file; throws db::Error with a German text when it cannot be
// written.
QString archivieren(const rechnungen::Rechnung& r);

}  // namespace billing
