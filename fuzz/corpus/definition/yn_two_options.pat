patch:Yes or no
description:Two options.
param:yn|On:9090|Off:E841
location:0F8C510100003D
