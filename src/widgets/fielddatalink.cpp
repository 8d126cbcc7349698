#include "widgets/fielddatalink.h"

#include "db/dataset.h"
#include "db/field.h"

namespace widgets {

FieldDataLink::FieldDataLink(QObject* parent) : QObject(parent) {}

void FieldDataLink::setDataSource(db::DataSource* ds) {
    if (m_ds == ds) return;
    if (m_ds) disconnect(m_ds, nullptr, this, nullptr);
    m_ds = ds;
    if (ds) {
        connect(ds, &db::DataSource::activeChanged, this, [this] {
            m_modified = false;
            emit activeChanged();
            emit dataChanged();
        });
        connect(ds, &db::DataSource::dataSetChanged, this, &FieldDataLink::onChanged);
        connect(ds, &db::DataSource::dataSetScrolled, this, &FieldDataLink::onChanged);
        connect(ds, &db::DataSource::recordChanged, this, &FieldDataLink::onRecordChanged);
        connect(ds, &db::DataSource::stateChanged, this, &FieldDataLink::editingChanged);
        connect(ds, &db::DataSource::updateData, this, &FieldDataLink::updateRecord);
        connect(ds, &QObject::destroyed, this, [this] {
            m_modified = false;
            emit activeChanged();
            emit dataChanged();
        });
    }
    m_modified = false;
    emit activeChanged();
    emit dataChanged();
}

void FieldDataLink::setFieldName(const QString& name) {
    if (m_fieldName == name) return;
    m_fieldName = name;
    m_modified = false;
    emit activeChanged();
    emit dataChanged();
}

db::Dataset* FieldDataLink::dataset() const { return m_ds ? m_ds->dataset() : nullptr; }

bool FieldDataLink::active() const {
    db::Dataset* d = dataset();
    return d && d->isActive();
}

db::Field* FieldDataLink::field() const {
    if (m_fieldName.isEmpty() || !active()) return nullptr;
    return dataset()->findField(m_fieldName);
}

bool FieldDataLink::editing() const {
    db::Dataset* d = dataset();
    return d && d->isEditing();
}

void FieldDataLink::setReadOnly(bool r) {
    if (m_readOnly == r) return;
    m_readOnly = r;
    emit editingChanged();
}

bool FieldDataLink::canModify() const {
    if (m_readOnly || !m_ds || !m_ds->enabled()) return false;
    db::Field* f = field();
    return f && !f->readOnly() && f->kind() == db::FieldKind::Data;
}

bool FieldDataLink::edit() {
    if (!canModify()) return false;
    db::Dataset* d = dataset();
    if (!d->isEditing()) d->edit();
    return d->isEditing();
}

void FieldDataLink::updateRecord() {
    if (!m_modified || m_updating) return;
    m_updating = true;
    try {
        emit updateData();
    } catch (...) {
        m_updating = false;
        throw;
    }
    m_updating = false;
    m_modified = false;
}

void FieldDataLink::reset() {
    m_modified = false;
    emit dataChanged();
}

void FieldDataLink::onChanged() {
    m_modified = false;
    emit dataChanged();
}

void FieldDataLink::onRecordChanged(db::Field* f) {
    if (f && f->fieldName().compare(m_fieldName, Qt::CaseInsensitive) != 0) return;
    // Our own write shows the field's value (cut to its size) afterwards.
    m_modified = false;
    emit dataChanged();
}

}  // namespace widgets
