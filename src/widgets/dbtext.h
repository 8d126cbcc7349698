#pragma once
// A label showing a field's display text.
#include <QLabel>

#include "widgets/fielddatalink.h"

namespace widgets {

class DbText : public QLabel {
    Q_OBJECT
public:
    explicit DbText(QWidget* parent = nullptr);

    void setDataSource(db::DataSource* ds) { m_link->setDataSource(ds); }
    db::DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    QString dataField() const { return m_link->fieldName(); }
    db::Field* field() const { return m_link->field(); }

private:
    void showField();
    FieldDataLink* m_link;
};

}  // namespace widgets
