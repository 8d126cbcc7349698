#pragma once
// The link of one bound control to one field of a data source's dataset.
//
// The field is looked up by name whenever it is needed, so a control keeps
// working when its dataset is closed and opened again or a query gets new
// fields. The link tells the control when to show the field again
// (dataChanged), when the dataset's state changed (editingChanged) and when to
// write its content into the field (updateData: before a post, when the user
// leaves the control).
#include <QObject>
#include <QPointer>
#include <QString>

#include "db/dataset.h"  // datasource.h needs the complete Dataset
#include "db/datasource.h"

namespace db {
class Dataset;
class Field;
}  // namespace db

namespace widgets {

class FieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit FieldDataLink(QObject* parent = nullptr);

    void setDataSource(db::DataSource* ds);
    db::DataSource* dataSource() const { return m_ds; }
    void setFieldName(const QString& name);
    QString fieldName() const { return m_fieldName; }

    // The data source's dataset, or nullptr.
    db::Dataset* dataset() const;
    // The dataset exists and is open.
    bool active() const;
    // The field of that name while the dataset is open, else nullptr.
    db::Field* field() const;
    // The dataset is in edit or insert state.
    bool editing() const;

    // The control refuses changes.
    void setReadOnly(bool r);
    bool readOnly() const { return m_readOnly; }
    // Whether the user may change the field: the dataset is open, the field
    // exists, is a data field and not read-only, the control is not read-only
    // and the data source is enabled.
    bool canModify() const;
    // Puts the dataset into edit state (an empty dataset gets a new row).
    // Returns false when the field cannot be changed. Errors propagate.
    bool edit();

    // The control holds a change that is not yet in the field.
    bool modified() const { return m_modified; }
    void setModified(bool m = true) { m_modified = m; }
    // Writes a pending change into the field (emits updateData). An error
    // propagates; the change stays pending.
    void updateRecord();
    // Drops a pending change: the control shows the field again.
    void reset();

signals:
    void dataChanged();
    void editingChanged();
    void activeChanged();
    void updateData();

private:
    void onRecordChanged(db::Field* f);
    void onChanged();

    QPointer<db::DataSource> m_ds;
    QString m_fieldName;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_updating = false;
};

}  // namespace widgets
