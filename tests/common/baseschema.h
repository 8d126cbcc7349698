#pragma once
// Databases as older releases of the program left them, for the tests of the
// schema upgrade.
//
// createBaseSchemaDatabase(): the schema every installed database starts
// from, before the first upgrade step: KUNDEN, HUNDE without GEBOREN_AM,
// HUNDE_TAGEBUCH, KURSE with MINTEILNEHMER (INTEGER) and without
// ANZAHL_TEILNEHMER/GEBUEHR/STATUS, TEILNEHMER, DOKUMENTE with KURSNR
// (INTEGER), NOTIZBLOCK, SYSTEMDATEN without LAST_UPDATE/ERSTSTARTHILFE,
// TP_TERMIN and TP_PERSON; there is no TRAINER table, so TP_TERMIN.PERSONNR
// refers to TP_PERSON (PERSONNR its primary key). Primary keys as in the
// current schema, the foreign key HUNDE.KNDNR -> KUNDEN, no descending
// indexes. SYSTEMDATEN holds one row with the school's address
// (baseSchool* below); every other table is empty.
//
// createDatabaseAtVersion(path, v): the base schema brought to version v by
// running the statements of upgrade steps 1 .. v in order (there is no step
// 8), the way an installed database got there: columns added later stand
// at the end of their tables, no descending indexes are created. From step 5
// on LAST_UPDATE = v; at 4 the column exists and is NULL; below 4 it does not
// exist. v = 0 is the base schema. Examples: at 12 HUNDE has no GEBOREN_AM;
// at 11 KURSE has no STATUS either; at 10 DOKUMENTE still has KURSNR and
// KURS_DOKUMENTE/VORLAGEN_DOKUMENTE are missing (but KURSE holds the
// consultation row -1).
//
// Both create missing folders and throw db::Error when the file exists.
#include <QString>

extern const char* const baseSchoolName;     // SYSTEMDATEN.HUNDESCHULE of the base row
extern const char* const baseSchoolStreet;   // STRASSE
extern const char* const baseSchoolPostcode; // PLZ
extern const char* const baseSchoolTown;     // ORT

void createBaseSchemaDatabase(const QString& path);

// 0 <= version <= 13, not 8 (throws std::invalid_argument otherwise).
void createDatabaseAtVersion(const QString& path, int version);
