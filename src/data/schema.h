#pragma once
// The database schema: creating a fresh, complete database and the
// descending key indexes that "largest + 1" numbering needs.
#include <QString>
#include <QStringList>
#include <QVector>

namespace db {
class Connection;
}

namespace schema {

// Current schema version (SYSTEMDATEN.LAST_UPDATE of a complete database).
constexpr int currentVersion = 14;

// Writes a new database file at `path` with every table, key and initial row
// of the current schema. Throws db::Error (the file exists, no permission...).
void createDatabase(const QString& path);

// Creates the complete schema in an open, empty database.
void createComplete(db::Connection& connection);

// The invoicing objects (upgrade step 14 and a new database alike), in
// stages: each stage's statements may use only what earlier stages made, so
// the caller commits after each stage. Stage 1: the tables and generators;
// stage 2: the exception and the triggers that keep issued invoices and
// their lines unchanged; stage 3: the one row of the billing settings.
QVector<QStringList> billingStages();

// Creates every missing descending index on a column whose keys are assigned
// as largest + 1 (MAX uses only descending indexes). Silent; safe to repeat.
void ensureDescendingIndexes(db::Connection& connection);

// Creates the missing indexes of the detail links (a customer's dogs, a
// course's participants, a customer's courses, a dog's diary) unless an
// index led by that column already serves it. Silent; safe to repeat.
void ensureLookupIndexes(db::Connection& connection);

}  // namespace schema
