#pragma once
// The "Trainingsprotokoll" page of a dog: the navigator's "+" beside the hint
// how a new entry comes in, over the diary grid. The customer window shows
// the diary of its current dog, the dog search window that of the dog it
// shows; both build the page here, each on its own data source.
#include <functional>

class QLabel;
class QString;
class QWidget;
namespace db {
class DataSource;
}
namespace widgets {
class DbGrid;
class DbNavigator;
}  // namespace widgets

namespace tagebuchseite {

struct Tagebuchseite {
    widgets::DbGrid* grid = nullptr;          // "dbg_tagebuch"
    widgets::DbNavigator* navigator = nullptr;  // "DBNavigator4"
    QLabel* hinweis = nullptr;                // "lb_tagebuchhinweis"
};

// Lays the page out in `seite` on `ds`. In the date column "+" and "-" move
// the date a day on or back and "," types the ".". `loeschenBestaetigt`
// asks before a row is deleted (grid and navigator).
Tagebuchseite bauen(QWidget* seite, db::DataSource* ds, std::function<bool(const QString&)> loeschenBestaetigt);

}  // namespace tagebuchseite
