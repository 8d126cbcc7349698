#pragma once
// The ways from the customer and course windows to invoicing. Those folders
// do not know the billing windows (the folders below the shell know each
// other not), so the shell fills these in at the start; a window offers its
// invoice buttons only while they are set.
#include <functional>

class QWidget;

namespace platform {

struct Rechnungswege {
    // "Rechnung erstellen" for a customer: a draft of the participations
    // not yet invoiced, free lines, "Rechnung ausstellen".
    std::function<void(QWidget* parent, int kndnr)> fuerKunden;
    // "Rechnung erstellen" on a course's participants page: drafts for
    // every participant not yet invoiced, one per customer.
    std::function<void(QWidget* parent, int kursnr)> fuerKurs;
    // The customer's invoices with payments, cancellations and open items.
    std::function<void(QWidget* parent, int kndnr)> rechnungenDesKunden;
};

Rechnungswege& rechnungswege();

}  // namespace platform
