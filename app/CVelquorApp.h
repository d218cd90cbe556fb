#pragma once

#include "CCommandTypeCatalog.h"

#include <QApplication>

// The application: its names, icon and resources, and the command-type catalogue that main
// hands to the main frame.
class CVelquorApp : public QApplication {
    Q_OBJECT

public:
    CVelquorApp(int& argc, char** argv);
    ~CVelquorApp() override;

    const CCommandTypeCatalog& Catalog() const { return m_catalog; }

private:
    CCommandTypeCatalog m_catalog;
};
