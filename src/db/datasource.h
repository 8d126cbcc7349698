#pragma once
// The link between a dataset and the controls, grids and detail datasets
// that show it. Observers connect to its signals.
#include <QObject>
#include <QPointer>

namespace db {

class Dataset;
class Field;

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr) : QObject(parent) {}
    ~DataSource() override;

    Dataset* dataset() const { return m_dataset; }
    void setDataset(Dataset* d);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool e) { m_enabled = e; }

signals:
    // The dataset was opened or closed.
    void activeChanged();
    // The rows changed as a whole (open, refresh, filter, insert, delete,
    // post, cancel): grids reset.
    void dataSetChanged();
    // Another row became current.
    void dataSetScrolled();
    // The current row's content changed: one field, or all (nullptr).
    void recordChanged(db::Field* field);
    // Browse/edit/insert changed.
    void stateChanged();
    // Before a post: controls write what they hold into their fields.
    void updateData();
    // The event of the original data source: after any of dataSetChanged
    // (nullptr), dataSetScrolled (nullptr) and recordChanged(field).
    void dataChange(db::Field* field);
    // More rows were fetched (lazily) at the end of the row list.
    void rowsFetched(int first, int last);

private:
    friend class Dataset;
    QPointer<Dataset> m_dataset;
    bool m_enabled = true;
};

}  // namespace db
