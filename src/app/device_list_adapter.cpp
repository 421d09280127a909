#include "app/device_list_adapter.h"

#include <QTreeWidget>

// The icons live in this static library; make sure the linker keeps them.
static void InitRowImageResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace app {

namespace {

QString Latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

} // namespace

DeviceListAdapter::DeviceListAdapter()
{
    InitRowImageResources();
    rowImages_[kImageExclamation] = QIcon(QStringLiteral(":/icons/exclamation.xpm"));
    rowImages_[kImageLetterE] = QIcon(QStringLiteral(":/icons/letter_e.xpm"));
}

void DeviceListAdapter::Clear()
{
    list_->clear();
}

void DeviceListAdapter::SetEnabled(bool enabled)
{
    if (!enabled && operationRunning_ && !operationRunning_())
        return;
    list_->setEnabled(enabled);
}

void DeviceListAdapter::AddRow(const protocol::DeviceRow& row)
{
    auto* item = new QTreeWidgetItem(list_, {Latin1(row.Address), Latin1(row.Mask), Latin1(row.Mac)});
    if (row.Image >= 0 && row.Image < int(rowImages_.size()))
        item->setIcon(0, rowImages_[row.Image]);
    for (int column = 0; column < list_->columnCount() && !row.Interface.empty(); ++column)
        item->setToolTip(column, QStringLiteral("Interfejs: %1").arg(Latin1(row.Interface)));
}

void DeviceListAdapter::Repaint()
{
    list_->viewport()->repaint();
}

} // namespace app
