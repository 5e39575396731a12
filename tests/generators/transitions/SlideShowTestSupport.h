#pragma once
// Picture files for the slide-show wizard's tests, written into a scratch
// folder, and the steps a user takes in the wizard, scripted.

#include "editor/ScriptedDialogs.h"
#include "generators/transitions/SlideShowEffectUnit.h"
#include "generators/transitions/SlideShowUnit.h"

#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>
#include <string>

class TPictureFolder {
  public:
    // A w x h picture file of one colour; the extension picks the format.
    std::string Solid(const std::string& name, int w, int h, QColor colour) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        return Save(name, image);
    }
    // A w x h picture, the left half `left` and the right half `right`.
    std::string Halves(const std::string& name, int w, int h, QColor left, QColor right) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(right);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w / 2; ++x) image.setPixelColor(x, y, left);
        return Save(name, image);
    }
    std::string Path(const std::string& name) const {
        return (Folder.path() + "/" + name.c_str()).toStdString();
    }

  private:
    std::string Save(const std::string& name, const QImage& image) {
        const std::string path = Path(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path))) << path;
        return path;
    }
    QTemporaryDir Folder;
};

// The user picks each file in turn with "Add Image".
inline void AddPictures(TSlideShowForm& form, TScriptedDialogs& dialogs,
                        const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        dialogs.OpenAnswers.push_back({file});
        form.ToolButton1->click();
    }
}

inline void SelectEntry(TSlideShowForm& form, int row) {
    form.ListView1->setCurrentRow(row);
    form.ListView1->item(row)->setSelected(true);
}

// The user selects entry `row`, opens "Effect Style", sets the values and presses OK.
inline void SetEffect(TSlideShowForm& form, TScriptedDialogs& dialogs, int row, const TSlideRecord& values) {
    SelectEntry(form, row);
    dialogs.OnForm("SlideShowEffectForm", [values](QDialog& d) {
        auto& effect = dynamic_cast<TSlideShowEffectForm&>(d);
        effect.ComboBox1->setCurrentIndex(values.Style - 1);
        effect.SpinEdit1->setValue(values.Step);
        effect.SpinEdit2->setValue(values.Delay);
        effect.SpinEdit3->setValue(values.ImageDelay);
        effect.OKButton->click();
    });
    form.ToolButton2->click();
}
