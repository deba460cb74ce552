patch:Line length
description:Longest chat line.
param:num|255
location:C7442410
