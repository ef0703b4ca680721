#!/usr/bin/env python3
"""tools/build_census_occupation.py: write data/census_occupation.json, what a person does by sex and age.

Two tables, each per sex and age group (18-24, 25-34, 35-44, 45-54, 55-64, 65 and over), and the
job titles of each occupation group:

  {"generated_by": ...,
   "activity": {"labels": ["Employed", "Student", "Unemployed", "Homemaker", "Retired"],
                "youngest": [...], "male": [[per mille, ...] per group], "female": [...]},
   "groups": [{"name": "Managers", "titles": [[title, weight], ...]}, ...],
   "group_weights": {"youngest": [...], "male": [[per 100000, ...] per group], "female": [...]}}

Sources and how the figures are made (the published anchors are kept within 0.5 points, the rest
is modelling; confidence low to medium):

* Occupation groups: the ten major groups of the 2012 Philippine Standard Occupational
  Classification (PSOC, PSA; the structure of ISCO-08). Their shares of all employed persons are
  the PSA's Labor Force Survey of July 2016, the latest distribution by PSOC 2012 major group
  that could be read here (PSA release, as reported by BusinessMirror, "More than fourth of
  employed workers are into 'elementary occupations'"): elementary occupations 26.9%, managers
  17.3%, service and sales workers 15.2%, skilled agricultural, forestry and fishery workers
  13.0%, craft and related trades workers 8.0%, plant and machine operators and assemblers 5.8%,
  clerical support workers 5.2%, professionals 5.1%, technicians and associate professionals
  3.4%, armed forces 0.1% (the remainder).
* Sex: the female share of each of the first five groups is derived from the LFS of April 2009
  (employed persons by sex and major occupation group, PSA table 8: 34,997 thousand employed,
  21,441 thousand men, with the male and total percentages of each group): managers and
  proprietors 52%, professionals 69%, technicians 51%, clerks 62%, service and sales 51%. The
  other groups' female shares (agriculture 25%, craft 12%, plant and machine operators 5%,
  elementary occupations 40%, armed forces 5%) are set, and managers and service workers raised
  to 56% and 55%, so that women are 41.9% of the employed, as in the LFS of December 2023 (21.1
  million of 50.4 million).
* Age: a multiplier per group and age group (AGE_PROFILE), a judgement: clerical support (call
  centre agents) and technicians young, managers (most are managing proprietors of small
  shops) and farmers old, the armed forces retiring at 56.
* Activity: employed, unemployed, student, homemaker and retired per mille by sex and age
  (ACTIVITY), modelled on the LFS of December 2023: labour force participation 77.0% of men and
  56.3% of women 15 and over, unemployment 3.1%; students at 18-24 from the school attendance of
  that age, homemakers ("housekeeping", the main reason women give for staying out of the labour
  force) mostly women, retirement from 60 (the GSIS and SSS optional retirement age).
* Job titles: for each group, job titles written from the group's PSOC 2012 unit groups (the
  unit group is given beside each title), weighted by judgement of how common each is.

Usage:
  python tools/build_census_occupation.py           # write data/census_occupation.json
  python tools/build_census_occupation.py --check   # exit 1 if the file is not what this writes
"""

from __future__ import annotations

import json
import sys
from pathlib import Path

from generated_document import write_or_check

REPO = Path(__file__).resolve().parents[1]
OUTPUT = REPO / "data" / "census_occupation.json"

YOUNGEST = [18, 25, 35, 45, 55, 65]

ACTIVITY_LABELS = ["Employed", "Student", "Unemployed", "Homemaker", "Retired"]
ACTIVITY = {  # per mille, in ACTIVITY_LABELS order, per age group
    "male": [[520, 330, 110, 40, 0], [880, 20, 50, 50, 0], [920, 0, 30, 50, 0],
             [900, 0, 30, 60, 10], [760, 0, 20, 60, 160], [400, 0, 10, 60, 530]],
    "female": [[370, 340, 80, 210, 0], [600, 15, 45, 340, 0], [640, 0, 25, 335, 0],
               [620, 0, 20, 350, 10], [480, 0, 10, 400, 110], [230, 0, 5, 400, 365]],
}

# (PSOC 2012 major group, share of employed %, female share, age multipliers, titles)
GROUPS = [
    ("Managers", 17.3, 0.56, [0.3, 0.7, 1.0, 1.3, 1.5, 1.6], [
        ("Store Owner", 30),            # 1420 retail and wholesale trade managers
        ("General Manager", 8),         # 1120 managing directors and chief executives
        ("Operations Manager", 6),      # 1219 business services and administration managers
        ("Sales Manager", 6),           # 1221 sales and marketing managers
        ("Finance Manager", 4),         # 1211 finance managers
        ("Human Resource Manager", 3),  # 1212 human resource managers
        ("Restaurant Manager", 5),      # 1412 restaurant managers
        ("Hotel Manager", 2),           # 1411 hotel managers
        ("Farm Manager", 8),            # 1311 agricultural and forestry production managers
        ("Construction Manager", 3),    # 1323 construction managers
        ("School Principal", 3),        # 1345 education managers
        ("Barangay Captain", 4),        # 1112 senior government officials
        ("Bank Manager", 2),            # 1346 financial and insurance services branch managers
        ("IT Manager", 2),              # 1330 ICT services managers
    ]),
    ("Professionals", 5.1, 0.69, [0.8, 1.4, 1.2, 1.0, 0.8, 0.4], [
        ("Public School Teacher", 25),  # 2341/2330 primary and secondary school teachers
        ("Registered Nurse", 12),       # 2221 nursing professionals
        ("Accountant", 8),              # 2411 accountants
        ("Civil Engineer", 5),          # 2142 civil engineers
        ("Software Developer", 5),      # 2512 software developers
        ("Physician", 4),               # 2211 generalist medical practitioners
        ("Pharmacist", 3),              # 2262 pharmacists
        ("Lawyer", 2),                  # 2611 lawyers
        ("College Instructor", 4),      # 2310 university and higher education teachers
        ("Architect", 2),               # 2161 building architects
        ("Electrical Engineer", 2),     # 2151 electrical engineers
        ("Mechanical Engineer", 2),     # 2144 mechanical engineers
        ("Social Worker", 2),           # 2635 social work and counselling professionals
        ("Midwife", 3),                 # 2222 midwifery professionals
        ("Dentist", 1),                 # 2261 dentists
        ("Priest", 1),                  # 2636 religious professionals
    ]),
    ("Technicians and associate professionals", 3.4, 0.51, [1.2, 1.5, 1.1, 0.8, 0.6, 0.3], [
        ("Electronics Technician", 6),  # 3114 electronics engineering technicians
        ("Medical Technologist", 5),    # 3212 medical and pathology laboratory technicians
        ("Computer Technician", 6),     # 3512 ICT user support technicians
        ("Real Estate Agent", 4),       # 3334 real estate agents and property managers
        ("Insurance Agent", 4),         # 3321 insurance representatives
        ("Draftsman", 3),               # 3118 draughtspersons
        ("Bookkeeper", 6),              # 3313 accounting associate professionals
        ("Pharmacy Assistant", 3),      # 3213 pharmaceutical technicians and assistants
        ("Marine Engineer", 3),         # 3151 ships' engineers
        ("Deck Officer", 2),            # 3152 ships' deck officers and pilots
        ("Sales Representative", 6),    # 3322 commercial sales representatives
        ("Administrative Assistant", 5),  # 3343 administrative and executive secretaries
    ]),
    ("Clerical support workers", 5.2, 0.62, [2.0, 1.7, 1.0, 0.6, 0.4, 0.2], [
        ("Call Center Agent", 20),      # 4222 contact centre information clerks
        ("Customer Service Representative", 8),  # 4222
        ("Office Clerk", 12),           # 4110 general office clerks
        ("Secretary", 5),               # 4120 secretaries (general)
        ("Data Encoder", 6),            # 4132 data entry clerks
        ("Bank Teller", 3),             # 4211 bank tellers and related clerks
        ("Receptionist", 3),            # 4226 receptionists (general)
        ("Stock Clerk", 3),             # 4321 stock clerks
        ("Payroll Clerk", 2),           # 4313 payroll clerks
        ("Records Clerk", 2),           # 4415 filing and copying clerks
    ]),
    ("Service and sales workers", 15.2, 0.55, [1.5, 1.2, 1.0, 0.9, 0.8, 0.7], [
        ("Sales Clerk", 14),            # 5223 shop sales assistants
        ("Sari-sari Store Keeper", 10),  # 5221 shopkeepers
        ("Market Vendor", 8),           # 5211 stall and market salespersons
        ("Cashier", 6),                 # 5230 cashiers and ticket clerks
        ("Cook", 5),                    # 5120 cooks
        ("Waiter", 5),                  # 5131 waiters
        ("Security Guard", 8),          # 5414 security guards
        ("Hairdresser", 3),             # 5141 hairdressers
        ("Caregiver", 3),               # 5322 home-based personal care workers
        ("Police Officer", 3),          # 5412 police officers
        ("Firefighter", 1),             # 5411 fire-fighters
        ("Beautician", 2),              # 5142 beauticians and related workers
        ("Child Care Worker", 2),       # 5311 child care workers
        ("Bartender", 1),               # 5132 bartenders
        ("Food Vendor", 4),             # 5212 street food salespersons
    ]),
    ("Skilled agricultural, forestry and fishery workers", 13.0, 0.25,
     [0.6, 0.7, 0.9, 1.2, 1.5, 2.0], [
        ("Rice Farmer", 25),            # 6111 field crop and vegetable growers
        ("Corn Farmer", 10),            # 6111
        ("Coconut Farmer", 12),         # 6112 tree and shrub crop growers
        ("Vegetable Grower", 6),        # 6111
        ("Sugarcane Farmer", 4),        # 6111
        ("Banana Farmer", 3),           # 6112
        ("Fisherman", 15),              # 6222 inland and coastal waters fishery workers
        ("Hog Raiser", 5),              # 6121 livestock and dairy producers
        ("Poultry Raiser", 3),          # 6122 poultry producers
        ("Fishpond Operator", 2),       # 6221 aquaculture workers
        ("Forest Worker", 1),           # 6210 forestry and related workers
    ]),
    ("Craft and related trades workers", 8.0, 0.12, [1.0, 1.1, 1.1, 1.0, 0.9, 0.6], [
        ("Carpenter", 15),              # 7115 carpenters and joiners
        ("Mason", 10),                  # 7112 bricklayers and related workers
        ("Electrician", 8),             # 7411 building and related electricians
        ("Plumber", 4),                 # 7126 plumbers and pipe fitters
        ("Auto Mechanic", 6),           # 7231 motor vehicle mechanics and repairers
        ("Motorcycle Mechanic", 4),     # 7231
        ("Welder", 6),                  # 7212 welders and flame cutters
        ("Dressmaker", 5),              # 7531 tailors, dressmakers, furriers and hatters
        ("Baker", 4),                   # 7512 bakers, pastry-cooks and confectionery makers
        ("Painter", 4),                 # 7131 painters and related workers
        ("Aircon Technician", 3),       # 7127 air conditioning and refrigeration mechanics
        ("Furniture Maker", 3),         # 7522 cabinet-makers and related workers
        ("Butcher", 2),                 # 7511 butchers, fishmongers and related food preparers
    ]),
    ("Plant and machine operators and assemblers", 5.8, 0.05, [0.9, 1.2, 1.2, 1.0, 0.8, 0.4], [
        ("Tricycle Driver", 15),        # 8321 motorcycle drivers
        ("Jeepney Driver", 10),         # 8322 car, taxi and van drivers
        ("Truck Driver", 8),            # 8332 heavy truck and lorry drivers
        ("Bus Driver", 3),              # 8331 bus and tram drivers
        ("Taxi Driver", 3),             # 8322
        ("Delivery Rider", 6),          # 8321
        ("Machine Operator", 5),        # 8189 stationary plant and machine operators n.e.c.
        ("Sewing Machine Operator", 3),  # 8153 sewing machine operators
        ("Forklift Operator", 2),       # 8344 lifting truck operators
        ("Heavy Equipment Operator", 2),  # 8342 earthmoving and related plant operators
        ("Electronics Assembler", 4),   # 8212 electrical and electronic equipment assemblers
        ("Deckhand", 2),                # 8350 ships' deck crews and related workers
    ]),
    ("Elementary occupations", 26.9, 0.40, [1.4, 1.0, 0.9, 0.9, 1.0, 1.1], [
        ("Farm Laborer", 25),           # 9211 crop farm labourers
        ("Construction Worker", 12),    # 9313 building construction labourers
        ("Household Helper", 12),       # 9111 domestic cleaners and helpers
        ("Janitor", 5),                 # 9112 cleaners and helpers in offices, hotels
        ("Street Vendor", 6),           # 9520 street vendors (excluding food)
        ("Fishery Laborer", 4),         # 9216 fishery and aquaculture labourers
        ("Porter", 3),                  # 9333 freight handlers
        ("Laundry Worker", 3),          # 9121 hand launderers and pressers
        ("Kitchen Helper", 3),          # 9412 kitchen helpers
        ("Messenger", 2),               # 9621 messengers, package deliverers
        ("Garbage Collector", 2),       # 9611 garbage and recycling collectors
        ("Factory Helper", 4),          # 9329 manufacturing labourers n.e.c.
        ("Packer", 2),                  # 9321 hand packers
        ("Utility Worker", 4),          # 9112
    ]),
    ("Armed forces occupations", 0.1, 0.05, [1.2, 1.6, 1.1, 0.8, 0.1, 0.0], [
        ("Soldier", 10),                # 0310 armed forces occupations, other ranks
        ("Army Sergeant", 4),           # 0210 non-commissioned armed forces officers
        ("Army Officer", 2),            # 0110 commissioned armed forces officers
        ("Navy Seaman", 3),             # 0310
        ("Air Force Airman", 2),        # 0310
        ("Marine", 2),                  # 0310
    ]),
]

PER_GROUP_ROW = 100_000


def group_weights(female: bool) -> list[list[int]]:
    rows = []
    for age in range(len(YOUNGEST)):
        raw = [share * (sex if female else 1 - sex) * profile[age]
               for _, share, sex, profile, _ in GROUPS]
        total = sum(raw)
        row = [round(PER_GROUP_ROW * w / total) for w in raw]
        rows.append(row)
    return rows


def checks() -> None:
    for sex, table in ACTIVITY.items():
        for row in table:
            if sum(row) != 1000:
                raise SystemExit(f"activity row {row} of {sex} does not sum to 1000")
    female = sum(share * sex for _, share, sex, _, _ in GROUPS) / sum(s for _, s, _, _, _ in GROUPS)
    if abs(female - 0.419) > 0.005:
        raise SystemExit(f"women are {female:.3f} of the employed, not 0.419")
    for name, *_rest, titles in GROUPS:
        if len({t for t, _ in titles}) != len(titles):
            raise SystemExit(f"a title is listed twice in {name}")


def build() -> str:
    checks()
    document = {
        "generated_by": "tools/build_census_occupation.py",
        "activity": {"labels": ACTIVITY_LABELS, "youngest": YOUNGEST,
                     "male": ACTIVITY["male"], "female": ACTIVITY["female"]},
        "groups": [{"name": name, "titles": [[t, w] for t, w in titles]}
                   for name, _, _, _, titles in GROUPS],
        "group_weights": {"youngest": YOUNGEST, "male": group_weights(False),
                          "female": group_weights(True)},
    }
    return json.dumps(document, ensure_ascii=False, indent=1) + "\n"


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
