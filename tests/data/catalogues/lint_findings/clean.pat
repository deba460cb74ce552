patch:Clean
description:Nothing to report.
param:yn|On:9090,9090|Off:E841,E841
location:or|0F8C51,0F85BE
