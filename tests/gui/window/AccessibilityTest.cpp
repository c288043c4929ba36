// What assistive technology is told about each control of the window: its
// name, its role and, where the status line's hint says more, its
// description. Read back through QAccessible, as the screen reader bridge
// reads it.

#include "WindowFixture.h"

#include "platform/widgets/Control.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <map>
#include <set>

namespace {

struct Expected {
    const char* name;
    QAccessible::Role role;
    const char* description = "";
};

// Every control of the window, by its control name.
const std::map<QString, Expected>& Controls() {
    using R = QAccessible::Role;
    static const std::map<QString, Expected> table = {
        {"picBanner", {"Trevalo 网站", R::Border, "打开 https://trevalo.example.org/"}},
        {"lblTab(0)", {"关于...", R::PageTab}},
        {"lblTab(1)", {"图标转换", R::PageTab}},
        {"lblTab(2)", {"图标提取", R::PageTab}},
        {"fraTab(0)", {"关于...", R::Grouping}},
        {"fraTab(1)", {"图标转换", R::Grouping}},
        {"fraTab(2)", {"图标提取", R::Grouping}},
        {"lblState", {"状态栏", R::StaticText}},
        {"cmdExit", {"退出", R::Button, "退出Trevalo ^0^"}},
        {"txtAbout", {"关于 Trevalo", R::EditableText}},
        {"fraPIC", {"图片来自...", R::Grouping}},
        {"drvPIC", {"图片来自... 驱动器", R::ComboBox}},
        {"dirPIC", {"图片来自... 文件夹", R::List, "选择一个含有.PNG或.BMP图片的文件夹"}},
        {"cboPicType", {"图片类型", R::ComboBox}},
        {"cmdPIC2ICO", {"开始转换", R::Button, "开始批量转换图片到图标"}},
        {"lblPIC2ICO", {"由.PNG图片转换得到的图标是32位Alpha 通道图标。", R::StaticText}},
        {"fraPNG2ICOOption", {"PNG→ICO选项", R::Grouping, "设置图标所要包含的大小格式"}},
        {"chkPNG2ICOOption(1)", {"16*16", R::CheckBox}},
        {"chkPNG2ICOOption(2)", {"32*32", R::CheckBox}},
        {"chkPNG2ICOOption(3)", {"48*48", R::CheckBox}},
        {"chkPNG2ICOOption(4)", {"64*64", R::CheckBox}},
        {"chkPNG2ICOOption(5)", {"72*72", R::CheckBox}},
        {"chkPNG2ICOOption(6)", {"96*96", R::CheckBox}},
        {"chkPNG2ICOOption(7)", {"128*128", R::CheckBox}},
        {"fraICO", {"图标保存到...", R::Grouping}},
        {"drvICO", {"图标保存到... 驱动器", R::ComboBox}},
        {"dirICO", {"图标保存到... 文件夹", R::List, "设置一个文件夹来保存图标"}},
        {"chkSameDirToPNG", {"与源图片同文件夹", R::CheckBox, "将图标保存到源图片文件夹中"}},
        {"drvEXE", {"可执行文件 驱动器", R::ComboBox}},
        {"dirEXE", {"可执行文件 文件夹", R::List, "选择一个含有.EXE文件的文件夹"}},
        {"filEXE", {"可执行文件", R::List,
                    "请选择一个.EXE文件\n若要批量提取该文件夹中所有.EXE文件的图标请勾选“批量提取”"}},
        {"cmdEXE2ICO", {"开始提取", R::Button, "提取.EXE文件中的图标并保存在当前文件夹中"}},
        {"chkEXE2ICOAll", {"批量提取", R::CheckBox, "批量提取当前文件夹中的所有.EXE文件的图标"}},
        {"lblEXE2ICO_1", {"图标预览", R::StaticText}},
        {"picShowICO", {"图标预览", R::Border}},
        {"lblEXE2ICO_2", {"提示：", R::StaticText}},
        {"lblEXE2ICO_3", {"提取得到的图标文件将保存在原.EXE文件所在文件夹。", R::StaticText}},
    };
    return table;
}

} // namespace

TEST_F(WindowTest, EveryControlHasItsNameRoleAndDescription) {
    Show();
    std::set<QString> seen;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (!platform::IsControl(widget))
            continue;
        const QString control = widget->objectName();
        seen.insert(control);
        const auto expected = Controls().find(control);
        ASSERT_NE(expected, Controls().end()) << control.toStdString() << " is not in the table";
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(face, nullptr) << control.toStdString();
        SCOPED_TRACE(control.toStdString());
        EXPECT_EQ(face->text(QAccessible::Name), QString::fromUtf8(expected->second.name));
        EXPECT_EQ(face->role(), expected->second.role);
        EXPECT_EQ(face->text(QAccessible::Description), QString::fromUtf8(expected->second.description));
    }
    EXPECT_EQ(seen.size(), Controls().size());
}

// The tabs say which page shows, and pressing one is a click on it.
TEST_F(WindowTest, PageTabsTellTheirSelectionAndPressLikeAClick) {
    Show();
    for (int pressed : {2, 0, 1}) {
        QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(form->lblTab[pressed]);
        ASSERT_NE(tab, nullptr);
        ASSERT_NE(tab->actionInterface(), nullptr);
        tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        for (int i = 0; i < frmMain::kTabs; ++i) {
            QAccessibleInterface* each = QAccessible::queryAccessibleInterface(form->lblTab[i]);
            EXPECT_EQ(each->state().selected, i == pressed) << pressed << " " << i;
            EXPECT_TRUE(each->state().selectable);
            EXPECT_EQ(form->fraTab[i]->isVisible(), i == pressed);
        }
    }
}
