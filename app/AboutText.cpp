#include "AboutText.h"

#include "resources/ProjectInfo.h"

#include <QStringList>

QString AboutText() {
    const QString product = QString::fromLatin1(project::kProductName);
    const QStringList lines = {
        product + QLatin1Char(' ') + QString::fromLatin1(project::kVersionText),
        QString(),
        QStringLiteral("这是一个简单、小巧的图标工具，它为您提供以下功能："),
        QStringLiteral("1) 把.BMP和.PNG格式的图片批量转换成图标；"),
        QStringLiteral("2) 从.EXE可执行文件中提取图标。"),
        QString(),
        QStringLiteral("特别说明：由.BMP图片转换得到的图片色彩效果不太理想，建议把.BMP图片转换为.PNG格式，"
                       "会得到更好的效果。转换图片格式可以用ACDSee，很方便的。如果源.PNG图片带Alpha通道，"
                       "则转换得到的图标也是32位带Alpha通道格式，效果很好。"),
        QString(),
        QString(),
        QStringLiteral("版权所有：%1 项目").arg(product),
        QStringLiteral("联系方式：%1").arg(QString::fromLatin1(project::kContactMail)),
        QStringLiteral("网站：%1").arg(QString::fromLatin1(project::kWebSite)),
        QStringLiteral("2005/08/10"),
    };
    return lines.join(QStringLiteral("\r\n"));
}
