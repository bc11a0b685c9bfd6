#include "sys/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace stepdrive::sys;

// A file name is the system's bytes: any of them reaches the file as it
// came on the command line, and those that are no UTF-8 are shown as \xNN.
TEST(Files, aNameReachesTheFileAsItCame) {
    QTemporaryDir dir;
    QByteArray every;
    for (int b = 1; b < 256; ++b)
        if (b != '/')
            every += static_cast<char>(b);
    for (const QByteArray& name :
         {QByteArray("out\xe9.json"), QByteArray("\xed\xa0\x80 \xc0\xaf \xf4\x90\x80\x80"),
          QByteArray("드라이브.json"), QByteArray("\xe2\x82"), every}) {
        QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0) << name.toHex().toStdString();
        ASSERT_EQ(::write(fd, name.constData(), name.size()), name.size());
        ::close(fd);
        char program[] = "stepdrive-cli";
        char* argv[] = {program, path.data()};
        QString error;
        EXPECT_EQ(readWhole(programArguments(2, argv).value(0), &error), name)
            << name.toHex().toStdString() << error.toStdString();
    }
    char program[] = "stepdrive-cli";
    char latin[] = "out\xe9.json";
    char* argv[] = {program, latin};
    EXPECT_EQ(shownName(programArguments(2, argv).value(0)), "out\\xE9.json");
    QString error;
    EXPECT_FALSE(readWhole(dir.filePath("none"), &error));
    EXPECT_EQ(error, "No such file or directory");
}
