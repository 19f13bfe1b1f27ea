#include "ui/dropdownstyle.h"

#include <QApplication>
#include <QComboBox>
#include <QStyleFactory>

namespace t880 {

DropDownStyle::DropDownStyle(QObject *parent)
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
    setParent(parent);
}

int DropDownStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                             QStyleHintReturn *returnData) const
{
    // A menu-like popup ignores the list's item limit.
    if (hint == SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void DropDownStyle::limit(QComboBox *box, int items)
{
    box->setStyle(this);
    box->setMaxVisibleItems(items);
}

} // namespace t880
