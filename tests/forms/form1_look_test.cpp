// What the main window looks like: the three views are grabbed to PNG (under the test
// scratch folder) and checked at a few pixels that give away a wrong layout.
#include "form1_fixture.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace ocuvell::test {
namespace {

class Form1Look : public Form1Test {
  protected:
    QImage grab(const char* name) {
        const QImage img = form->grab().toImage();
        const auto out = dir.parent_path() / "screens";
        std::filesystem::create_directories(out);
        img.save(QString::fromStdString((out / name).string()));
        return img;
    }
};

const QColor kPage(243, 248, 251);
const QColor kStrip(106, 189, 217);

TEST_F(Form1Look, MainPageColoursAndPlaces) {
    Form1& f = start();
    f.Show();
    const QImage img = grab("form1.png");
    ASSERT_EQ(img.size(), QSize(641, 315));
    EXPECT_EQ(img.pixelColor(400, 12), kStrip); // title strip, between title and glyphs
    EXPECT_EQ(img.pixelColor(60, 200), kPage);  // left of the eye picture
    EXPECT_EQ(img.pixelColor(300, 200), kPage); // between the two columns
    // The next-rest time sits on the grey screen of the blank monitor.
    EXPECT_EQ(img.pixelColor(344 + 20, 128 + 20), QColor(128, 128, 128));
    // Both switches are drawn, not cut away by their shapes.
    EXPECT_NE(img.pixelColor(144 + 39, 272 + 11), kPage);
    EXPECT_NE(img.pixelColor(360 + 39, 272 + 11), kPage);
    // The close glyph is red at its corner, the window ends right after it.
    const QColor close = img.pixelColor(590, 2);
    EXPECT_GT(close.red(), 150);
    EXPECT_LT(close.green(), 100);
}

TEST_F(Form1Look, ColourPageCoversTheMainPage) {
    writeConfig("[eye]\nliangdu=0\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=0\npdrun=1\n");
    Form1& f = start();
    f.Show();
    f.edit_Click(0);
    const QImage img = grab("form1-colour.png");
    // Heading of the brightness slider: strip colour at ppset + page + colo(0).
    EXPECT_EQ(img.pixelColor(17 + 8 + 29 + 200, 50 + 8 + 15 + 8), kStrip);
    // The grey value box of the brightness.
    EXPECT_EQ(img.pixelColor(17 + 8 + 29 + 2, 50 + 8 + 38 + 2), QColor(192, 192, 192));
    // The eye picture underneath is covered.
    EXPECT_EQ(img.pixelColor(140, 240), kPage);
}

TEST_F(Form1Look, RestPageShowsTheSentenceWithItsBoxes) {
    writeConfig("[dsxx]\nmei=45\nxiuxi=5\npdrun=1\n");
    Form1& f = start();
    f.Show();
    f.edit_Click(1);
    grab("form1-rest.png");
    // Both boxes lie inside the sentence, the interval before the rest length.
    const QRect sentence(f.Text2()->parentWidget()->mapTo(&f, QPoint(29, 40)), QSize(533, 30));
    const QRect t2(f.Text2()->mapTo(&f, QPoint()), f.Text2()->size());
    const QRect t3(f.Text3()->mapTo(&f, QPoint()), f.Text3()->size());
    EXPECT_LT(t2.right(), t3.left());
    EXPECT_TRUE(sentence.contains(t2.center())) << t2.x() << "," << t2.y();
    EXPECT_TRUE(sentence.contains(t3.center())) << t3.x() << "," << t3.y();
    EXPECT_GE(t2.width(), 20);
}

} // namespace
} // namespace ocuvell::test
