patch:Short option list
description:Two signatures, one byte list in the second option.
param:yn|On:9090,9090|Off:E841
location:AABB,CCDD
