-- The observation table of the working store. Text fields are unbounded.
-- Mag and Phas are declared FLOAT (REAL affinity): the store reads columns of
-- that declared type as singles. The checks keep text out of the number
-- columns whatever statement writes them.
CREATE TABLE Obs (
    ID INTEGER PRIMARY KEY,
    Star TEXT NOT NULL DEFAULT '',
    JD REAL CHECK (JD + 0 = JD),
    Mag FLOAT CHECK (Mag + 0 = Mag),
    Faint TEXT NOT NULL DEFAULT '',
    Uncertain TEXT NOT NULL DEFAULT '',
    HQUncertain TEXT NOT NULL DEFAULT '',
    Band TEXT NOT NULL DEFAULT '',
    Init TEXT NOT NULL DEFAULT '',
    ComCod TEXT NOT NULL DEFAULT '',
    Comp1 TEXT NOT NULL DEFAULT '',
    Comp2 TEXT NOT NULL DEFAULT '',
    Charts TEXT NOT NULL DEFAULT '',
    Comments TEXT NOT NULL DEFAULT '',
    XForm TEXT NOT NULL DEFAULT '',
    AirMass TEXT NOT NULL DEFAULT '',
    Valid TEXT NOT NULL DEFAULT '',
    CMag TEXT NOT NULL DEFAULT '',
    KMag TEXT NOT NULL DEFAULT '',
    HQJD TEXT NOT NULL DEFAULT '',
    ObsAffil TEXT NOT NULL DEFAULT '',
    MeasMethod TEXT NOT NULL DEFAULT '',
    GroupMethod TEXT NOT NULL DEFAULT '',
    ADSRef TEXT NOT NULL DEFAULT '',
    Digitizer TEXT NOT NULL DEFAULT '',
    Credit TEXT NOT NULL DEFAULT '',
    PunktFarb INTEGER NOT NULL DEFAULT 0,
    Marked TEXT NOT NULL DEFAULT '',
    Edited TEXT NOT NULL DEFAULT '',
    Phas FLOAT CHECK (Phas + 0 = Phas)
);
