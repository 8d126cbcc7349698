#pragma once
// The database schema: creating a fresh, complete database and the
// descending key indexes that "largest + 1" numbering needs.
#include <QString>

namespace db {
class Connection;
}

namespace schema {

// Current schema version (SYSTEMDATEN.LAST_UPDATE of a complete database).
constexpr int currentVersion = 13;

// Writes a new database file at `path` with every table, key and initial row
// of the current schema. Throws db::Error (the file exists, no permission...).
void createDatabase(const QString& path);

// Creates the complete schema in an open, empty database.
void createComplete(db::Connection& connection);

// Creates every missing descending index on a column whose keys are assigned
// as largest + 1 (MAX uses only descending indexes). Silent; safe to repeat.
void ensureDescendingIndexes(db::Connection& connection);

// Creates the missing indexes of the detail links (a customer's dogs, a
// course's participants, a customer's courses, a dog's diary) unless an
// index led by that column already serves it. Silent; safe to repeat.
void ensureLookupIndexes(db::Connection& connection);

}  // namespace schema
