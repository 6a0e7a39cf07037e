#include "pythonreference.h"
#include "testmain.h"

#include "analysis/kylaneframe.h"
#include "analysis/kyrounding.h"

#include <QRandomGenerator>

#include <cmath>
#include <limits>

using Corners = QVector<QPoint>; // top-left, top-right, bottom-left, bottom-right

Q_DECLARE_METATYPE(Corners)

namespace {

constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();

KyLaneFrame makeFrame(int count, double ratio, const Corners &c)
{
    KyLaneFrame frame;
    frame.set(count, ratio, c.at(0), c.at(1), c.at(2), c.at(3));
    return frame;
}

void verifyEmpty(const KyLaneFrame &frame)
{
    QVERIFY(frame.isEmpty());
    QCOMPARE(frame.laneCount(), 0);
    QCOMPARE(frame.laneWidthRatio(), 0.0);
    QCOMPARE(frame.topLeft(), QPoint(-1, -1));
    QCOMPARE(frame.topRight(), QPoint(-1, -1));
    QCOMPARE(frame.bottomLeft(), QPoint(-1, -1));
    QCOMPARE(frame.bottomRight(), QPoint(-1, -1));
}

QJsonArray point(const QPoint &p)
{
    return QJsonArray{p.x(), p.y()};
}

QPoint point(const QJsonValue &v)
{
    const QJsonArray a = v.toArray();
    return QPoint(a.at(0).toInt(), a.at(1).toInt());
}

} // namespace

class TestKyLaneFrame : public QObject
{
    Q_OBJECT

private slots:
    void roundingRules_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("truncated");
        QTest::addColumn<int>("truncatedHalfUp");
        QTest::addColumn<int>("flooredHalfUp");
        QTest::newRow("positive half") << 2.5 << 2 << 3 << 3;
        QTest::newRow("positive below half") << 2.49 << 2 << 2 << 2;
        QTest::newRow("negative half") << -2.5 << -2 << -2 << -2;
        QTest::newRow("negative, nearer the lower") << -2.7 << -2 << -2 << -3;
        QTest::newRow("negative, nearer the upper") << -2.3 << -2 << -1 << -2;
        QTest::newRow("just below zero") << -0.2 << 0 << 0 << 0;
        QTest::newRow("not a number") << std::nan("") << 0 << 0 << 0;
        QTest::newRow("plus infinity") << HUGE_VAL << kMax << kMax << kMax;
        QTest::newRow("minus infinity") << -HUGE_VAL << kMin << kMin << kMin;
        QTest::newRow("above the int range") << 4e9 << kMax << kMax << kMax;
        QTest::newRow("below the int range") << -4e9 << kMin << kMin << kMin;
        QTest::newRow("int max") << 2147483647.0 << kMax << kMax << kMax;
        QTest::newRow("int min") << -2147483648.0 << kMin << kMin + 1 << kMin;
    }

    void roundingRules()
    {
        QFETCH(double, value);
        QFETCH(int, truncated);
        QFETCH(int, truncatedHalfUp);
        QFETCH(int, flooredHalfUp);
        QCOMPARE(KyRounding::truncated(value), truncated);
        QCOMPARE(KyRounding::truncatedHalfUp(value), truncatedHalfUp);
        QCOMPARE(KyRounding::flooredHalfUp(value), flooredHalfUp);
    }

    void newAndClearedFramesAreEmpty()
    {
        verifyEmpty(KyLaneFrame());
        KyLaneFrame frame = makeFrame(4, 0.7, {{1, 2}, {3, 4}, {5, 6}, {7, 8}});
        QVERIFY(!frame.isEmpty());
        frame.clear();
        verifyEmpty(frame);
    }

    void setters()
    {
        KyLaneFrame frame = makeFrame(4, 0.7, {{1, 2}, {3, 4}, {5, 6}, {7, 8}});
        frame.setLaneCount(9);
        frame.setLaneWidthRatio(0.25);
        QCOMPARE(frame.laneCount(), 9);
        QCOMPARE(frame.laneWidthRatio(), 0.25);
        // Count and ratio leave the corners where they were.
        QCOMPARE(frame.topLeft(), QPoint(1, 2));
        QCOMPARE(frame.bottomRight(), QPoint(7, 8));
        frame.setTopLeft({10, 20});
        frame.setTopRight({30, 40});
        frame.setBottomLeft({50, 60});
        frame.setBottomRight({70, 80});
        frame.setTopLeft({10, 20});
        QCOMPARE(frame.topLeft(), QPoint(10, 20));
        QCOMPARE(frame.topRight(), QPoint(30, 40));
        QCOMPARE(frame.bottomLeft(), QPoint(50, 60));
        QCOMPARE(frame.bottomRight(), QPoint(70, 80));
        frame.setLaneCount(0);
        QVERIFY(frame.isEmpty());
        frame.setLaneCount(-3);
        QVERIFY(frame.isEmpty());
    }

    void setDefault_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<QString>("message");
        QTest::newRow("1000 x 500") << 1000 << 500 << Corners{{200, 100}, {800, 100}, {200, 400}, {800, 400}}
                                    << "QPoint(200,100), QPoint(800,100), QPoint(200,400), QPoint(800,400)";
        QTest::newRow("full frame, truncated") << 2046 << 3072 << Corners{{409, 614}, {1636, 614}, {409, 2457}, {1636, 2457}}
                                               << "QPoint(409,614), QPoint(1636,614), QPoint(409,2457), QPoint(1636,2457)";
        QTest::newRow("tiny") << 7 << 3 << Corners{{1, 0}, {5, 0}, {1, 2}, {5, 2}}
                              << "QPoint(1,0), QPoint(5,0), QPoint(1,2), QPoint(5,2)";
        QTest::newRow("no pixels") << 0 << 0 << Corners{{0, 0}, {0, 0}, {0, 0}, {0, 0}}
                                   << "QPoint(0,0), QPoint(0,0), QPoint(0,0), QPoint(0,0)";
    }

    void setDefault()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(Corners, corners);
        QFETCH(QString, message);
        KyLaneFrame frame;
        QTest::ignoreMessage(QtDebugMsg, qPrintable(message));
        frame.setDefault(6, 0.7, width, height);
        QCOMPARE(frame.laneCount(), 6);
        QCOMPARE(frame.laneWidthRatio(), 0.7);
        QCOMPARE(frame.topLeft(), corners.at(0));
        QCOMPARE(frame.topRight(), corners.at(1));
        QCOMPARE(frame.bottomLeft(), corners.at(2));
        QCOMPARE(frame.bottomRight(), corners.at(3));
    }

    void laneCentres_data()
    {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<int>("count");
        QTest::addColumn<QVector<QPoint>>("tops");
        QTest::addColumn<QVector<QPoint>>("bottoms");
        QTest::newRow("untilted, four lanes")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4
            << QVector<QPoint>{{150, 50}, {250, 50}, {350, 50}, {450, 50}}
            << QVector<QPoint>{{150, 450}, {250, 450}, {350, 450}, {450, 450}};
        QTest::newRow("halves go up") << Corners{{0, 0}, {5, 3}, {0, 10}, {5, 13}} << 1
                                      << QVector<QPoint>{{3, 2}} << QVector<QPoint>{{3, 12}};
        // -7.5 + 0.5 truncates to -7 (qRound gives -8), and even a whole -7 becomes -6.
        QTest::newRow("negative coordinates truncate toward zero")
            << Corners{{-10, -10}, {-5, -4}, {-10, -20}, {-5, -14}} << 1
            << QVector<QPoint>{{-7, -6}} << QVector<QPoint>{{-7, -16}};
        QTest::newRow("trapezoid, sheared")
            << Corners{{100, 100}, {700, 160}, {0, 900}, {900, 960}} << 3
            << QVector<QPoint>{{200, 110}, {400, 130}, {600, 150}}
            << QVector<QPoint>{{150, 910}, {450, 930}, {750, 950}};
        QTest::newRow("mirrored: right corners left of left ones")
            << Corners{{500, 50}, {100, 50}, {500, 450}, {100, 450}} << 2
            << QVector<QPoint>{{400, 50}, {200, 50}} << QVector<QPoint>{{400, 450}, {200, 450}};
    }

    void laneCentres()
    {
        QFETCH(Corners, corners);
        QFETCH(int, count);
        QFETCH(QVector<QPoint>, tops);
        QFETCH(QVector<QPoint>, bottoms);
        const KyLaneFrame frame = makeFrame(count, 0.5, corners);
        for (int lane = 0; lane < count; ++lane) {
            QCOMPARE(frame.laneTop(lane), tops.at(lane));
            QCOMPARE(frame.laneBottom(lane), bottoms.at(lane));
            QCOMPARE(frame.laneTopY(lane), tops.at(lane).y());
            QCOMPARE(frame.laneBottomY(lane), bottoms.at(lane).y());
        }
    }

    void laneLengthAndWidth_data()
    {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("length"); // of lane 0
        QTest::addColumn<int>("width");
        QTest::newRow("ratio 0.5, 4 lanes, 400 px") << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << 0.5 << 400 << 50;
        QTest::newRow("tilted 3-4-5") << Corners{{0, 0}, {300, 400}, {30, 40}, {330, 440}} << 5 << 0.7 << 50 << 70;
        QTest::newRow("width half goes up") << Corners{{0, 0}, {10, 0}, {0, 7}, {10, 7}} << 4 << 1.0 << 7 << 3;
        QTest::newRow("length rounds") << Corners{{0, 0}, {2, 0}, {2, 2}, {4, 2}} << 1 << 1.0 << 3 << 2;
        QTest::newRow("top and bottom centres coincide") << Corners{{0, 0}, {100, 0}, {0, 0}, {100, 0}} << 2 << 0.5 << 0 << 25;
        QTest::newRow("bottom above top") << Corners{{0, 500}, {100, 500}, {0, 100}, {100, 100}} << 1 << 0.5 << 400 << 50;
    }

    void laneLengthAndWidth()
    {
        QFETCH(Corners, corners);
        QFETCH(int, count);
        QFETCH(double, ratio);
        const KyLaneFrame frame = makeFrame(count, ratio, corners);
        QFETCH(int, length);
        QFETCH(int, width);
        QCOMPARE(frame.laneLength(0), length);
        QCOMPARE(frame.laneWidth(), width);
    }

    void lanePolygon_data()
    {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("lane");
        QTest::addColumn<QVector<QPoint>>("polygon");
        // Untilted: T +- (h, 0) and B +- (h, 0), h = 25.
        QTest::newRow("untilted") << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << 0.5 << 0
                                  << QVector<QPoint>{{125, 50}, {175, 50}, {125, 450}, {175, 450}};
        QTest::newRow("untilted, odd width") << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << 0.55 << 3
                                             << QVector<QPoint>{{423, 50}, {478, 50}, {423, 450}, {478, 450}};
        // Top edge along (4, 3): cos a = 0.8, sin a = 0.6, width 250, h = 125: the x offset is
        // h / cos a = 156.25 (not h cos a), the y offset h sin a = 75.
        QTest::newRow("tilted") << Corners{{0, 0}, {400, 300}, {0, 1000}, {400, 1300}} << 1 << 0.5 << 0
                                << QVector<QPoint>{{44, 75}, {356, 225}, {44, 1075}, {356, 1225}};
        // A mirrored edge has the same angle as the forward one: the same outline.
        QTest::newRow("tilted, mirrored") << Corners{{400, 300}, {0, 0}, {400, 1300}, {0, 1000}} << 1 << 0.5 << 0
                                          << QVector<QPoint>{{44, 75}, {356, 225}, {44, 1075}, {356, 1225}};
        QTest::newRow("rising edge") << Corners{{0, 300}, {400, 0}, {0, 1300}, {400, 1000}} << 1 << 0.5 << 0
                                     << QVector<QPoint>{{44, 225}, {356, 75}, {44, 1225}, {356, 1075}};
    }

    void lanePolygon()
    {
        QFETCH(Corners, corners);
        QFETCH(int, count);
        QFETCH(double, ratio);
        QFETCH(int, lane);
        QFETCH(QVector<QPoint>, polygon);
        QCOMPARE(makeFrame(count, ratio, corners).lanePolygon(lane), polygon);
    }

    // Frames that the overlay or stored analysis text can produce but that have no sensible lanes:
    // every answer stays defined (the sanitizer build checks there is no overflow).
    void degenerateFrames_data()
    {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPoint>("top");
        QTest::addColumn<QPoint>("bottom");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("width");
        QTest::addColumn<QVector<QPoint>>("polygon");
        QTest::addColumn<QPointF>("direction");
        QTest::newRow("top-left equals top-right")
            << Corners{{100, 100}, {100, 100}, {50, 500}, {250, 500}} << 2 << 0.8
            << QPoint(100, 100) << QPoint(100, 500) << 400 << 0
            << QVector<QPoint>{{100, 100}, {100, 100}, {100, 500}, {100, 500}} << QPointF(1, 0);
        QTest::newRow("vertical top edge, downward")
            << Corners{{100, 100}, {100, 400}, {400, 100}, {400, 400}} << 3 << 0.5
            << QPoint(100, 150) << QPoint(400, 150) << 300 << 50
            << QVector<QPoint>{{100, 125}, {100, 175}, {400, 125}, {400, 175}} << QPointF(0, 1);
        QTest::newRow("vertical top edge, upward")
            << Corners{{100, 400}, {100, 100}, {400, 400}, {400, 100}} << 3 << 0.5
            << QPoint(100, 350) << QPoint(400, 350) << 300 << 50
            << QVector<QPoint>{{100, 375}, {100, 325}, {400, 375}, {400, 325}} << QPointF(0, -1);
        QTest::newRow("vertical top edge, width 0")
            << Corners{{100, 100}, {100, 400}, {400, 100}, {400, 400}} << 3 << 0.0
            << QPoint(100, 150) << QPoint(400, 150) << 300 << 0
            << QVector<QPoint>{{100, 150}, {100, 150}, {400, 150}, {400, 150}} << QPointF(0, 1);
        QTest::newRow("ratio 0")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << 0.0
            << QPoint(150, 50) << QPoint(150, 450) << 400 << 0
            << QVector<QPoint>{{150, 50}, {150, 50}, {150, 450}, {150, 450}} << QPointF(1, 0);
        QTest::newRow("negative ratio")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << -0.5
            << QPoint(150, 50) << QPoint(150, 450) << 400 << 0
            << QVector<QPoint>{{150, 50}, {150, 50}, {150, 450}, {150, 450}} << QPointF(1, 0);
        QTest::newRow("ratio not a number")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << std::nan("")
            << QPoint(150, 50) << QPoint(150, 450) << 400 << 0
            << QVector<QPoint>{{150, 50}, {150, 50}, {150, 450}, {150, 450}} << QPointF(1, 0);
        QTest::newRow("infinite ratio")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 4 << HUGE_VAL
            << QPoint(150, 50) << QPoint(150, 450) << 400 << kMax
            << QVector<QPoint>{{-1073741673, 50}, {1073741974, 50}, {-1073741673, 450}, {1073741974, 450}}
            << QPointF(1, 0);
        QTest::newRow("lane of length 0")
            << Corners{{100, 50}, {500, 50}, {100, 50}, {500, 50}} << 4 << 0.5
            << QPoint(150, 50) << QPoint(150, 50) << 0 << 50
            << QVector<QPoint>{{125, 50}, {175, 50}, {125, 50}, {175, 50}} << QPointF(1, 0);
        // Geometry of an empty frame is never asked for; it is measured as a single lane.
        QTest::newRow("count 0")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << 0 << 0.5
            << QPoint(300, 50) << QPoint(300, 450) << 400 << 200
            << QVector<QPoint>{{200, 50}, {400, 50}, {200, 450}, {400, 450}} << QPointF(1, 0);
        QTest::newRow("negative count")
            << Corners{{100, 50}, {500, 50}, {100, 450}, {500, 450}} << -7 << 0.5
            << QPoint(300, 50) << QPoint(300, 450) << 400 << 200
            << QVector<QPoint>{{200, 50}, {400, 50}, {200, 450}, {400, 450}} << QPointF(1, 0);
        QTest::newRow("unset corners")
            << Corners{{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}} << 0 << 0.0
            << QPoint(0, 0) << QPoint(0, 0) << 0 << 0
            << QVector<QPoint>{{0, 0}, {0, 0}, {0, 0}, {0, 0}} << QPointF(1, 0);
        // Corners at the ends of the int range: differences and lengths leave the int range.
        QTest::newRow("corners at the int limits")
            << Corners{{kMin, kMin}, {kMax, kMin}, {kMin, kMax}, {kMax, kMax}} << 1 << 1.0
            << QPoint(0, kMin + 1) << QPoint(0, kMax) << kMax << kMax
            << QVector<QPoint>{{-1073741823, kMin + 2}, {1073741824, kMin + 2}, {-1073741823, kMax}, {1073741824, kMax}}
            << QPointF(1, 0);
    }

    void degenerateFrames()
    {
        QFETCH(Corners, corners);
        QFETCH(int, count);
        QFETCH(double, ratio);
        QFETCH(QPoint, top);
        QFETCH(QPoint, bottom);
        QFETCH(int, length);
        QFETCH(int, width);
        QFETCH(QVector<QPoint>, polygon);
        QFETCH(QPointF, direction);
        const KyLaneFrame frame = makeFrame(count, ratio, corners);
        QCOMPARE(frame.laneTop(0), top);
        QCOMPARE(frame.laneBottom(0), bottom);
        QCOMPARE(frame.laneLength(0), length);
        QCOMPARE(frame.laneWidth(), width);
        QCOMPARE(frame.lanePolygon(0), polygon);
        QCOMPARE(frame.topEdgeDirection(), direction);
        // The rest of the lanes, and lane numbers no caller should pass, stay defined too.
        for (int lane : {1, count - 1, -1, kMax, kMin}) {
            frame.laneTop(lane);
            frame.laneBottom(lane);
            frame.laneLength(lane);
            QCOMPARE(frame.lanePolygon(lane).size(), 4);
        }
    }

    void topEdgeDirection_data()
    {
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QPoint>("topRight");
        QTest::addColumn<QPointF>("direction");
        QTest::newRow("horizontal") << QPoint(10, 10) << QPoint(310, 10) << QPointF(1, 0);
        QTest::newRow("3-4-5") << QPoint(0, 0) << QPoint(300, 400) << QPointF(0.6, 0.8);
        QTest::newRow("mirrored") << QPoint(300, 400) << QPoint(0, 0) << QPointF(-0.6, -0.8);
    }

    void topEdgeDirection()
    {
        QFETCH(QPoint, topLeft);
        QFETCH(QPoint, topRight);
        QFETCH(QPointF, direction);
        const KyLaneFrame frame = makeFrame(3, 0.5, {topLeft, topRight, {0, 900}, {300, 900}});
        const QPointF u = frame.topEdgeDirection();
        QVERIFY2(std::abs(u.x() - direction.x()) < 1e-15 && std::abs(u.y() - direction.y()) < 1e-15,
                 qPrintable(QStringLiteral("(%1, %2)").arg(u.x(), 0, 'g', 17).arg(u.y(), 0, 'g', 17)));
    }

    // Random frames of every shape that the lane overlay allows (tilted, sheared, mirrored,
    // partly off the image) against the independent geometry in reference/lane_frame.py.
    void matchesReference()
    {
        QRandomGenerator random(20240517);
        QVector<KyLaneFrame> frames;
        QJsonArray input;
        for (int f = 0; f < 300; ++f) {
            auto coordinate = [&] { return random.bounded(-400, 3400); };
            Corners c{{coordinate(), coordinate()}, {coordinate(), coordinate()},
                      {coordinate(), coordinate()}, {coordinate(), coordinate()}};
            if (f % 3 == 0) { // mostly upright frames, as drawn on a gel
                c[1].setY(c[0].y() + random.bounded(-40, 40));
                c[2].setX(c[0].x() + random.bounded(-40, 40));
                c[3] = QPoint(c[1].x() + random.bounded(-40, 40), c[2].y() + random.bounded(-40, 40));
            }
            if (c[1].x() == c[0].x())
                c[1].rx() += 1;
            const int count = 1 + random.bounded(25);
            const double ratio = f % 10 == 0 ? random.bounded(10, 101) / 100.0 : random.generateDouble() * 1.2;
            frames.append(makeFrame(count, ratio, c));
            QJsonArray corners;
            for (const QPoint &p : c)
                corners.append(point(p));
            input.append(QJsonObject{{"corners", corners}, {"count", count}, {"ratio", ratio}});
        }
        const QJsonObject output = kytest::runPythonReference(QStringLiteral("analysis/reference/lane_frame.py"),
                                                              QJsonObject{{"frames", input}});
        const QJsonArray expected = output.value("frames").toArray();
        QCOMPARE(expected.size(), frames.size());
        for (int f = 0; f < frames.size(); ++f) {
            const KyLaneFrame &frame = frames.at(f);
            const QJsonObject e = expected.at(f).toObject();
            const QString where = QStringLiteral("frame %1").arg(f);
            QVERIFY2(frame.laneWidth() == e.value("width").toInt(), qPrintable(where));
            const QJsonArray direction = e.value("direction").toArray();
            QVERIFY2(frame.topEdgeDirection() == QPointF(direction.at(0).toDouble(), direction.at(1).toDouble()),
                     qPrintable(where));
            const QJsonArray lanes = e.value("lanes").toArray();
            QCOMPARE(lanes.size(), frame.laneCount());
            for (int lane = 0; lane < frame.laneCount(); ++lane) {
                const QJsonObject l = lanes.at(lane).toObject();
                const QString at = where + QStringLiteral(" lane %1").arg(lane);
                QVERIFY2(frame.laneTop(lane) == point(l.value("top")), qPrintable(at));
                QVERIFY2(frame.laneBottom(lane) == point(l.value("bottom")), qPrintable(at));
                QVERIFY2(frame.laneLength(lane) == l.value("length").toInt(), qPrintable(at));
                const QJsonArray polygon = l.value("polygon").toArray();
                const QVector<QPoint> outline = frame.lanePolygon(lane);
                for (int i = 0; i < 4; ++i)
                    QVERIFY2(outline.at(i) == point(polygon.at(i)), qPrintable(at));
            }
        }
    }
};

KY_TEST_MAIN(TestKyLaneFrame)
#include "tst_kylaneframe.moc"
